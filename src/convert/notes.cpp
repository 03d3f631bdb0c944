// Console lines of a conversion.
#include "convert/notes.h"

#include <algorithm>
#include <limits>

namespace gridlib::convert {
namespace {

std::string console_line(std::string_view text) {
    std::string line(1, ' ');
    line += text;
    return line;
}

}  // namespace

void Notes::line(std::string_view text) const {
    if (!note_) return;
    const std::string whole = console_line(text);
    // A line never nears 2^31 bytes: its texts are messages and file names.
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(whole.size(), std::numeric_limits<std::int32_t>::max()));
    note_(user_, whole.data(), &length);
}

Failure failure(std::int32_t status, std::string_view text) { return {status, console_line(text)}; }

Failure stopped() {
    return failure(GRIDLIB_STOPPED, " The conversion was stopped by its caller : nothing was written or replaced");
}

}  // namespace gridlib::convert
