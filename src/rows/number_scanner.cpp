// The text row scanner: tokens are cut and converted in the read buffer itself.
#include "rows/number_scanner.h"

#include "descriptor/grid_descriptor.h"
#include "text/lines.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace gridlib::rows {
namespace {

const char* skip_plus(const char* first, const char* last) {
    // std::from_chars takes no "+", which Fortran writes and reads freely.
    if (last - first >= 2 && *first == '+' && first[1] != '+' && first[1] != '-') return first + 1;
    return first;
}

float finite_or_null(float v) { return std::isfinite(v) ? v : kNullValue; }

// The rare forms: Fortran exponents, and magnitudes beyond the float range.
bool parse_unusual(std::string_view token, float& value) {
    std::string t(token);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == 'D' || t[i] == 'd') {
            t[i] = 'E';
        } else if ((t[i] == '+' || t[i] == '-') && i > 0 &&
                   ((t[i - 1] >= '0' && t[i - 1] <= '9') || t[i - 1] == '.')) {
            // "1.5+03": Fortran output drops the exponent letter when the
            // exponent needs three digits.
            t.insert(i, 1, 'E');
            ++i;
        }
    }
    const char* first = skip_plus(t.data(), t.data() + t.size());
    const char* last = t.data() + t.size();
    float f = 0;
    auto [ptr, ec] = std::from_chars(first, last, f);
    if (ptr != last) return false;
    if (ec == std::errc()) {
        value = finite_or_null(f);
        return true;
    }
    if (ec != std::errc::result_out_of_range) return false;
    // Out of the float range: an underflow reads as (nearly) zero, an
    // overflow cannot be represented and counts as missing.
    double d = 0;
    auto [dptr, dec] = std::from_chars(first, last, d);
    if (dptr == last && dec == std::errc()) {
        value = std::fabs(d) <= static_cast<double>(FLT_MAX) ? static_cast<float>(d) : kNullValue;
        return true;
    }
    const auto e = t.find_first_of("eE");
    value = e != std::string::npos && e + 1 < t.size() && t[e + 1] == '-' ? 0.0f : kNullValue;
    return true;
}

// Consumes buf[0..i] of the file's buffer, buf[i] being a line end, and the
// LF of a CR LF pair, which ends one line, not two.
void consume_line_end(platform::File& file, std::span<const char> buf, std::size_t i) {
    const char end = buf[i];
    file.consume(i + 1);
    if (end == '\r' && file.peek_byte() == '\n') file.consume(1);
}

// Appends to token the characters up to the next separator, across buffers.
void finish_token(platform::File& file, std::string& token) {
    for (;;) {
        const std::span<const char> buf = file.buffered();
        if (buf.empty()) return;
        std::size_t i = 0;
        while (i < buf.size() && !is_separator(buf[i])) ++i;
        token.append(buf.data(), i);
        file.consume(i);
        if (i < buf.size()) return;
    }
}

}  // namespace

// The bulk of a text grid: a sign, at most 7 digits and a decimal point.
// Such a number is m / 10^k with m < 2^24 and k <= 7, both exact floats, and
// one IEEE float division rounds correctly: the very float from_chars would
// give, without its general machinery.
const char* scan_short_decimal(const char* p, const char* last, float& value) {
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    std::uint32_t m = 0;
    int digits = 0, fraction = -1;
    for (; p != last; ++p) {
        const unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (d < 10) {
            if (++digits > 7) return nullptr;
            m = m * 10 + d;
            if (fraction >= 0) ++fraction;
        } else if (*p == '.' && fraction < 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (digits == 0) return nullptr;
    const float f = fraction > 0 ? static_cast<float>(m) / kPowersOfTen[fraction] : static_cast<float>(m);
    value = negative ? -f : f;
    return p;
}

bool parse_number(std::string_view token, float& value) {
    const char* last = token.data() + token.size();
    float short_decimal = 0;
    if (scan_short_decimal(token.data(), last, short_decimal) == last) {
        value = short_decimal;
        return true;
    }
    const char* first = skip_plus(token.data(), last);
    float f = 0;
    auto [ptr, ec] = std::from_chars(first, last, f);
    if (ec == std::errc() && ptr == last) {
        value = finite_or_null(f);
        return true;
    }
    return !token.empty() && parse_unusual(token, value);
}

bool skip_line(platform::File& file) {
    bool any = false;
    for (;;) {
        const std::span<const char> buf = file.buffered();
        if (buf.empty()) return any;
        any = true;
        std::size_t i = 0;
        while (i < buf.size() && !is_line_end(buf[i])) ++i;
        if (i == buf.size()) {
            file.consume(i);
            continue;
        }
        consume_line_end(file, buf, i);
        return true;
    }
}

ScanResult read_numbers(platform::File& file, std::span<float> values) {
    const std::size_t n = values.size();
    std::size_t i = 0;
    std::string carried;
    while (i < n) {
        const std::span<const char> buf = file.buffered();
        if (buf.empty()) return ScanResult::end_of_file;
        const char* const begin = buf.data();
        const char* const end = begin + buf.size();
        const char* p = begin;
        const char* start = nullptr;
        bool cut = false;
        while (i < n) {
            while (p != end && is_separator(*p)) ++p;
            if (p == end) break;
            start = p;
            while (p != end && !is_separator(*p)) ++p;
            if (p == end) {
                cut = true;  // the token may go on in the next buffer
                break;
            }
            if (!parse_number({start, p}, values[i])) {
                file.consume(static_cast<std::size_t>(p - begin));
                return ScanResult::not_a_number;
            }
            ++i;
        }
        file.consume(static_cast<std::size_t>(p - begin));
        if (cut) {
            carried.assign(start, end);
            finish_token(file, carried);
            if (!parse_number(carried, values[i])) return ScanResult::not_a_number;
            ++i;
        }
    }
    return ScanResult::ok;
}

bool skip_lines(platform::File& file, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        if (!skip_line(file)) return false;
    }
    return true;
}

std::optional<std::size_t> read_line_start(platform::File& file, std::span<char> start) {
    if (file.peek_byte() < 0) return std::nullopt;
    const std::size_t length = text::read_line(file, start);
    if (length == start.size()) skip_line(file);  // the rest of the line, and its end
    return length;
}

}  // namespace gridlib::rows
