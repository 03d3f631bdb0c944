// Free-format values: tokenising a text and strict number conversion.
#include "free_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace rastrify {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Accepts [sign] digits [. digits] [exponent], at least one mantissa digit,
// and returns it with the exponent letter as 'e' so that from_chars reads it
// (old Fortran-minded users write 1.5D3).
std::optional<std::string> normalised_real(std::string_view s) {
    std::string out;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) out.push_back(s[i++]), ++digits;
    if (i < s.size() && s[i] == '.') {
        out.push_back(s[i++]);
        while (i < s.size() && is_digit(s[i])) out.push_back(s[i++]), ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        out.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.push_back(s[i++]);
        std::size_t exponent_digits = 0;
        while (i < s.size() && is_digit(s[i])) out.push_back(s[i++]), ++exponent_digits;
        if (exponent_digits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return out;
}

}  // namespace

FreeField first_field(std::string_view text, SlashEnds slash) {
    FreeField field;
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (i == text.size()) return field;
    const char first = text[i];
    if (first == ',' || (first == '/' && slash == SlashEnds::yes)) {
        field.kind = FreeField::Kind::null;
        return field;
    }
    field.kind = FreeField::Kind::value;
    if (first == '\'' || first == '"') {
        field.quoted = true;
        for (++i; i < text.size(); ++i) {
            if (text[i] != first) {
                field.text.push_back(text[i]);
            } else if (i + 1 < text.size() && text[i + 1] == first) {
                field.text.push_back(first);
                ++i;
            } else {
                break;
            }
        }
        return field;  // an unclosed quote runs to the end of the text
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_blank(c) || c == ',' || (c == '/' && slash == SlashEnds::yes)) break;
        field.text.push_back(c);
    }
    return field;
}

std::optional<std::int32_t> free_integer(std::string_view text) {
    const FreeField field = first_field(text, SlashEnds::yes);
    if (field.kind != FreeField::Kind::value || field.quoted) return std::nullopt;
    std::string_view s = field.text;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::optional<float> free_real(std::string_view text) {
    const FreeField field = first_field(text, SlashEnds::yes);
    if (field.kind != FreeField::Kind::value || field.quoted) return std::nullopt;
    const auto number = normalised_real(field.text);
    if (!number) return std::nullopt;
    const char* first = number->data();
    const char* last = first + number->size();
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc() && end == last) return value;
    if (ec != std::errc::result_out_of_range) return std::nullopt;
    // Out of range is either overflow (refused: no 32-bit real holds it) or a
    // value too small for a 32-bit real, which reads as zero like any underflow.
    const double wide = std::strtod(number->c_str(), nullptr);
    if (!(std::fabs(wide) < 1.0)) return std::nullopt;
    return std::signbit(wide) ? -0.0f : 0.0f;
}

}  // namespace rastrify
