// The text toolkit of the header readers: trimming and upper-casing of
// fixed-length, blank-padded texts, and conversion of their blank- or
// comma-separated fields into numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace gridlib::text {

// Left-justifies text in place (NULs become blanks first) and returns its
// trimmed length: the position of the last non-blank character.
std::size_t justify_left(std::span<char> text);

// Upper-cases the ASCII letters among the first n characters.
void upper_case(std::span<char> text, std::size_t n);

// Convert the first values.size() fields of text. Blanks and commas lie
// between fields; a field ends at a NUL, blank or comma and is converted
// whole. parse_doubles and parse_floats look only at the first 255 positions; parse_integers
// scans the whole text, but from position 255 on a comma starts a field
// (value 0) instead of separating. A field that is not a number gives 0
// without complaint. They return false (the status -1 of the toolkit) when
// the text holds fewer fields; the values found stay stored.
bool parse_doubles(std::span<const char> text, std::span<double> values);
bool parse_floats(std::span<const char> text, std::span<float> values);
bool parse_integers(std::span<const char> text, std::span<std::int32_t> values);

// Number conversion of one field: the longest written number (see
// written_numbers.h; exponents need their letter) after leading blanks; 0
// when there is none.
double real_value(std::string_view field);
// real_value rounded to the nearest 32-bit real (infinite beyond its range).
float float_value(std::string_view field);
// The rounding float_value applies, for a real already converted.
float nearest_float(double v);
// Integer conversion of one field: sign and decimal digits; 0 when none.
// Values beyond the 32-bit range saturate at its ends.
std::int32_t integer_value(std::string_view field);

}  // namespace gridlib::text
