// One line of a keyword-style text header, prepared the way the keyword
// readers search it: TABs as blanks, left-justified, upper-cased.
#pragma once

#include "platform/file.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace gridlib::formats {

class HeaderLine {
public:
    // Longer lines arrive in pieces, each piece a line of its own.
    static constexpr std::size_t kLength = 512;

    // Reads and prepares the next line. False when the line read has length 0,
    // an empty line and the end of the file alike: that ends a text header.
    // A line of blanks is read (true) and blank() afterwards.
    bool read(platform::File& file);

    // The prepared line without its trailing blanks.
    std::string_view text() const { return {buffer_.data(), length_}; }
    bool contains(std::string_view keyword) const { return text().find(keyword) != std::string_view::npos; }
    bool blank() const { return length_ == 0; }
    // The piece read filled the buffer: the line it belongs to may go on in
    // the next piece.
    bool filled() const { return filled_; }

private:
    std::array<char, kLength> buffer_{};
    std::size_t length_ = 0;
    bool filled_ = false;
};

}  // namespace gridlib::formats
