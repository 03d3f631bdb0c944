// Free-format values: tokenising a text and strict number conversion.
#include "free_format.h"

#include "gridlib.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace rastrify {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
    // The library's own reading of numbers, so that a value means the same
    // here as in a grid's header (old Fortran-minded users write 1.5D3).
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(field.text.size(), INT32_MAX));
    float value = 0.0f;
    std::int32_t used = 0;
    gridlib_read_real(field.text.data(), &length, &value, &used);
    // An overflow is refused: no 32-bit real holds it. An underflow reads as
    // zero, as it does everywhere.
    if (used == 0 || static_cast<std::size_t>(used) != field.text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace rastrify
