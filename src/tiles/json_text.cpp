// JSON texts and numbers.
#include "tiles/json_text.h"

#include "colour_bar/utf8.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace gridlib::tiles {

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (const char32_t c : colour_bar::code_points(text)) {
        if (c < 0x20 || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c == 0x2028 || c == 0x2029) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            colour_bar::append_utf8(out, c);
        }
    }
    return out + "\"";
}

std::string json_number(double value) {
    if (!std::isfinite(value)) return "null";
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

}  // namespace gridlib::tiles
