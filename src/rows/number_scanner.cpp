// The token parser of text grids, and the line handling around their rows.
#include "rows/number_scanner.h"

#include "descriptor/grid_descriptor.h"
#include "text/lines.h"
#include "text/written_numbers.h"

#include <charconv>
#include <cmath>

namespace gridlib::rows {
namespace {

// Words from_chars reads as not finite (nan, inf, infinity, with a sign),
// which some programs write for missing values: true for them alone.
bool not_finite_word(std::string_view token, float& value) {
    const char* first = token.data();
    const char* const last = first + token.size();
    // from_chars takes no "+", which Fortran writes and reads freely.
    if (last - first >= 2 && *first == '+' && first[1] != '+' && first[1] != '-') ++first;
    float f = 0;
    const auto [ptr, ec] = std::from_chars(first, last, f);
    if (ec != std::errc() || ptr != last || std::isfinite(f)) return false;
    value = kNullValue;
    return true;
}

// Consumes buf[0..i] of the file's buffer, buf[i] being a line end, and the
// LF of a CR LF pair, which ends one line, not two.
void consume_line_end(platform::File& file, std::span<const char> buf, std::size_t i) {
    const char end = buf[i];
    file.consume(i + 1);
    if (end == '\r' && file.peek_byte() == '\n') file.consume(1);
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
    const text::WrittenNumber n = text::scan_number(token, text::Exponents::lettered_or_signed);
    if (n.length == 0 || n.length != token.size()) return not_finite_word(token, value);
    // Beyond the float range a value cannot be represented: it counts as
    // missing. Below it, it reads as zero.
    const float f = n.nearest<float>();
    value = std::isfinite(f) ? f : kNullValue;
    return true;
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
