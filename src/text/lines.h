// Line reading for text headers.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <span>

namespace gridlib::text {

// Reads the next line of the file into line, blank-filling the rest, and
// returns the number of characters stored (0 for an empty line and at the end
// of the file alike). LF, CR and CR LF each end a line. A line longer than the
// buffer is returned in pieces. Afterwards the file is positioned exactly
// after the bytes consumed.
std::size_t read_line(platform::File& file, std::span<char> line);

}  // namespace gridlib::text
