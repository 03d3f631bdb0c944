// Text of unknown origin (a file name) as Unicode characters: the SVG must
// stay well-formed and the PNG's font library takes characters, not bytes.
#pragma once

#include <string>
#include <vector>

namespace gridlib::colour_bar {

inline constexpr char32_t kReplacement = 0xFFFD;

// The characters of a UTF-8 text; each byte that does not begin a valid
// sequence (overlong forms and surrogates included) becomes kReplacement.
std::vector<char32_t> code_points(const std::string& text);

void append_utf8(std::string& out, char32_t c);

}  // namespace gridlib::colour_bar
