// Trimming, upper-casing and number conversion of fixed-length header texts.
#include "text/fields.h"

#include "text/written_numbers.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace gridlib::text {
namespace {

// The real converters never look beyond this position of a text; the integer
// converter skips commas only before it. Header values sit in 80- or
// 256-character texts, so the window only matters for whole-line calls.
constexpr std::size_t kWindow = 255;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool ends_field(char c) { return c == '\0' || c == ' ' || c == ','; }

std::string_view skip_blanks(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

// The loop shared by the three field converters. Positions are 0-based here.
template <typename T, typename Convert>
bool convert_fields(std::span<const char> text, std::span<T> values, std::size_t window,
                    std::size_t comma_limit, Convert convert) {
    const std::size_t w = std::min(text.size(), window);
    std::size_t p = 0;  // positions consumed
    std::size_t k = 0;  // values stored
    while (p < w && k < values.size()) {
        std::size_t j = p;
        while (j < w && (text[j] == ' ' || (text[j] == ',' && j < comma_limit))) ++j;
        // A field may begin at the window's last position: a one-character
        // value at the very end of the text is still a value.
        if (j >= w) return false;
        std::size_t e = j + 1;
        while (e < w && !ends_field(text[e])) ++e;
        // The whole field is converted, however long: cutting it short would
        // turn 12345678901234567890123 into a number 1000 times smaller.
        const std::size_t stop = std::min(e + 1, w);
        values[k++] = convert(std::string_view(text.data() + j, stop - j));
        p = stop;
    }
    return k == values.size();
}

}  // namespace

std::size_t justify_left(std::span<char> text) {
    if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) return 0;
    std::replace(text.begin(), text.end(), '\0', ' ');
    const auto first = std::find_if(text.begin(), text.end(), [](char c) { return c != ' '; });
    if (first == text.end()) return 0;
    if (first != text.begin()) {
        const auto moved_end = std::copy(first, text.end(), text.begin());
        std::fill(moved_end, text.end(), ' ');
    }
    const auto last = std::find_if(text.rbegin(), text.rend(), [](char c) { return c != ' '; });
    return static_cast<std::size_t>(text.rend() - last);
}

void upper_case(std::span<char> text, std::size_t n) {
    for (char& c : text.first(std::min(n, text.size()))) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    }
}

double real_value(std::string_view field) {
    const WrittenNumber n = scan_number(skip_blanks(field), Exponents::lettered);
    return n.length == 0 ? 0.0 : n.nearest<double>();
}

std::int32_t integer_value(std::string_view field) {
    const std::string_view s = skip_blanks(field);
    std::size_t k = 0;
    bool negative = false;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) negative = s[k++] == '-';
    // Saturates rather than wraps: a count too large to hold must not come
    // out as a small or negative one.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t v = 0;
    for (; k < s.size() && is_digit(s[k]); ++k) v = std::min<std::int64_t>(v * 10 + (s[k] - '0'), limit);
    if (negative) return static_cast<std::int32_t>(-v);
    return static_cast<std::int32_t>(std::min<std::int64_t>(v, limit - 1));
}

bool parse_doubles(std::span<const char> text, std::span<double> values) {
    return convert_fields(text, values, kWindow, kWindow, real_value);
}

bool parse_floats(std::span<const char> text, std::span<float> values) {
    return convert_fields(text, values, kWindow, kWindow,
                          float_value);
}

bool parse_integers(std::span<const char> text, std::span<std::int32_t> values) {
    // The integer converter scans the whole text, but a comma at or after
    // position 255 starts a field of its own (value 0) instead of separating.
    return convert_fields(text, values, text.size(), kWindow - 1, integer_value);
}

// From 2^128 - 2^103 on, rounding goes to infinity; that case is spelt out
// since the language leaves it undefined.
float nearest_float(double v) {
    constexpr double overflow = 0x1.ffffffp127;
    if (v >= overflow) return std::numeric_limits<float>::infinity();
    if (v <= -overflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

float float_value(std::string_view field) { return nearest_float(real_value(field)); }

}  // namespace gridlib::text
