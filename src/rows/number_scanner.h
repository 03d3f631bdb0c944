// The tokens and lines of text grids: values separated by blanks, tabs,
// commas and line ends, each read by parse_number, the one conversion of a
// grid's written values; and the skipping of lines around them. How the
// values make up rows is number_text.h's business.
#pragma once

#include "platform/file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace gridlib::rows {

// What separates written numbers: blanks, tabs, commas and line ends.
inline constexpr std::array<bool, 256> kSeparators = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {' ', '\t', ',', '\r', '\n'}) t[c] = true;
    return t;
}();
inline bool is_separator(char c) { return kSeparators[static_cast<unsigned char>(c)]; }
inline bool is_line_end(char c) { return c == '\n' || c == '\r'; }

// Consumes the rest of the current line and its end (CR LF counts as one);
// false when the file is already at its end.
bool skip_line(platform::File& file);

// Converts one token, the whole of it, to the nearest 32-bit real; false
// when it is not a number. The token is a written number (see
// text/written_numbers.h) whose exponent may lack its letter ("1.5+03");
// numbers beyond the float range and the words nan and inf (any case,
// signed) give the null value, numbers below it zero.
bool parse_number(std::string_view token, float& value);

// Scans the common form of a number from p on: a sign, at most 7 digits and
// one decimal point, stopping at the first other character or at last. The
// character after it, its end, is returned with its value (the very float
// parse_number gives); nullptr when the characters from p are not of that
// form (no digit, or more than 7). A token that does not end there needs
// parse_number.
const char* scan_short_decimal(const char* p, const char* last, float& value);

// Skips count lines (LF, CR and CR LF each end one); false when the file
// ends before all of them have begun.
bool skip_lines(platform::File& file, std::int64_t count);

// Copies the start of the next line into start (blank-filled) and consumes
// the whole line, however long: the number of characters copied, or nothing
// at the end of the file. An empty line gives 0.
std::optional<std::size_t> read_line_start(platform::File& file, std::span<char> start);

}  // namespace gridlib::rows
