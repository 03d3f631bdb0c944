// Reading and preparing the lines of keyword-style text headers.
#include "headers/header_lines.h"

#include "text/fields.h"
#include "text/lines.h"

#include <algorithm>

namespace gridlib::headers {

bool HeaderLine::read(platform::File& file) {
    const std::size_t read = text::RDLINE(file, buffer_);
    filled_ = read == kLength;
    // Header writers use TABs and blanks alike between keyword and value.
    std::replace(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(read), '\t', ' ');
    length_ = text::FTRIM(buffer_);
    text::FUPPER(buffer_, length_);
    return read > 0;
}

}  // namespace gridlib::headers
