// Numbered text files: a sequential text file is known by a unit number of
// 100 or more, the lowest one no open text file uses. TextUnit is the RAII
// owner of such a number together with the open file behind it.
#pragma once

#include "platform/file.h"

#include <optional>
#include <string>

namespace gridlib::platform {

class TextUnit {
public:
    // Opens path for sequential reading under the lowest free unit number.
    static std::optional<TextUnit> open(const std::string& path);
    TextUnit(TextUnit&& other) noexcept;
    TextUnit& operator=(TextUnit&&) = delete;
    TextUnit(const TextUnit&) = delete;
    ~TextUnit();

    int number() const { return number_; }
    File& file() { return file_; }

private:
    TextUnit(int number, File file) : number_(number), file_(std::move(file)) {}
    int number_;
    File file_;
};

// The lowest unit number of 100 or more that no open TextUnit holds.
int lowest_free_unit();

}  // namespace gridlib::platform
