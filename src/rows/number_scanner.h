// Free-format numbers of text grids, scanned straight from the file's read
// buffer: values separated by blanks, tabs, commas and line ends; a row may
// span several lines, and whatever follows its last value on that line is
// ignored, so the next row starts on a new line.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace gridlib::rows {

enum class ScanResult { ok, end_of_file, not_a_number };

// Reads values.size() numbers and then skips the rest of the last line.
// Numbers that are not finite (nan, inf) or too large for a 32-bit real are
// stored as the null value. On failure the values not yet read are undefined.
ScanResult read_text_row(platform::File& file, std::span<float> values);

// Converts one token, the whole of it, to a 32-bit real as read_text_row
// does; false when it is not a number. Accepts a leading "+" and Fortran
// exponents ("1.5D+03", "1.5d3", "1.5+03").
bool parse_number(std::string_view token, float& value);

// Skips count lines (LF, CR and CR LF each end one); false when the file
// ends before all of them have begun.
bool skip_lines(platform::File& file, std::int64_t count);

// Reads lines until one that contains needle, leaving the file positioned at
// the start of the next line; false when the file ends first.
bool skip_past_line_containing(platform::File& file, std::string_view needle);

}  // namespace gridlib::rows
