// Reading and preparing the lines of keyword-style text headers.
#include "formats/header_lines.h"

#include "text/fields.h"
#include "text/lines.h"

#include <algorithm>

namespace gridlib::formats {

bool HeaderLine::read(platform::File& file) {
    const std::size_t read = text::read_line(file, buffer_);
    filled_ = read == kLength;
    // Header writers use TABs and blanks alike between keyword and value.
    std::replace(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(read), '\t', ' ');
    length_ = text::justify_left(buffer_);
    text::upper_case(buffer_, length_);
    return read > 0;
}

}  // namespace gridlib::formats
