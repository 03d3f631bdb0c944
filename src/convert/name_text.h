// A name as the library takes it: a fixed-length text with its length. The
// NUL ends the name, so the library opens exactly the name checked here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace gridlib::convert {

// The length the names of a conversion are padded to, as rastrify has always
// passed them; a longer name is passed whole.
inline constexpr std::size_t kNameLength = 256;

class NameText {
public:
    // The text is at least length characters; a NUL follows the name when it fits.
    NameText(const std::string& name, std::size_t length) : text_(name) {
        if (text_.size() < length) text_.push_back('\0');
        text_.resize(std::max(length, text_.size()), ' ');
        length_ = static_cast<std::int32_t>(text_.size());
    }
    const char* data() const { return text_.data(); }
    const std::int32_t* length() const { return &length_; }

private:
    std::string text_;
    std::int32_t length_;
};

}  // namespace gridlib::convert
