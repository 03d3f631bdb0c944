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

namespace {

// The shortest digits that read back as the value, without an exponent
// where the number is of a size that people write without one.
template <typename Real>
std::string shortest(Real value) {
    if (!std::isfinite(value)) return "null";
    char digits[64];
    const Real size = std::fabs(value);
    const auto format = size == 0 || (size >= Real(1e-5) && size < Real(1e15)) ? std::chars_format::fixed
                                                                                 : std::chars_format::general;
    const auto end = std::to_chars(digits, digits + sizeof digits, value, format).ptr;
    return std::string(digits, end);
}

}  // namespace

std::string json_number(double value) { return shortest(value); }
std::string json_number(float value) { return shortest(value); }

}  // namespace gridlib::tiles
