// Scanning written numbers and converting them exactly.
#include "text/written_numbers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace gridlib::text {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

std::size_t count_digits(std::string_view s, std::size_t from) {
    std::size_t k = from;
    while (k < s.size() && is_digit(s[k])) ++k;
    return k - from;
}

// The exponent's value, saturated far beyond any that a real can take.
std::int64_t saturated_exponent(std::string_view s) {
    bool negative = false;
    std::size_t k = 0;
    if (k < s.size() && is_sign(s[k])) negative = s[k++] == '-';
    std::int64_t e = 0;
    for (; k < s.size() && is_digit(s[k]); ++k) e = std::min<std::int64_t>(e * 10 + (s[k] - '0'), 1'000'000'000);
    return negative ? -e : e;
}

// A number beyond the range of T: its digits are not all zero (or the
// conversion would have succeeded), so its decimal magnitude alone tells
// overflow from underflow.
template <typename T>
T beyond_range(std::string_view mantissa, std::string_view exponent) {
    std::int64_t magnitude = 0;  // the power of ten of the first significant digit, plus one
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto first = mantissa.find_first_of("123456789");
    if (first != std::string_view::npos) {
        magnitude = first < point ? static_cast<std::int64_t>(point - first)
                                  : -static_cast<std::int64_t>(first - point - 1);
    }
    return magnitude + saturated_exponent(exponent) > 0 ? std::numeric_limits<T>::infinity() : T{0};
}

}  // namespace

WrittenNumber scan_number(std::string_view s, Exponents exponents) {
    WrittenNumber n;
    std::size_t k = 0;
    if (k < s.size() && is_sign(s[k])) n.negative = s[k++] == '-';
    const std::size_t mantissa_begin = k;
    const std::size_t int_digits = count_digits(s, k);
    k += int_digits;
    std::size_t frac_digits = 0;
    if (k < s.size() && s[k] == '.') {
        frac_digits = count_digits(s, k + 1);
        k += 1 + frac_digits;
    }
    if (int_digits + frac_digits == 0) return {};
    n.mantissa = s.substr(mantissa_begin, k - mantissa_begin);
    n.length = k;
    if (k == s.size()) return n;
    std::size_t e = k;
    if (is_exponent_letter(s[e])) {
        ++e;
    } else if (!(exponents == Exponents::lettered_or_signed && is_sign(s[e]))) {
        return n;
    }
    const std::size_t exponent_begin = e;
    if (e < s.size() && is_sign(s[e])) ++e;
    if (const std::size_t digits = count_digits(s, e); digits > 0) {
        n.exponent = s.substr(exponent_begin, e + digits - exponent_begin);
        n.length = e + digits;
    }
    return n;
}

template <typename T>
T WrittenNumber::nearest() const {
    // from_chars knows the letters E and e alone: other exponents are
    // rewritten in a copy, which the numbers of most files never need.
    const char* first = mantissa.data();
    const char* last = first + mantissa.size();
    std::string rewritten;
    if (!exponent.empty()) {
        if (exponent.data() == last + 1 && (*last == 'E' || *last == 'e')) {
            last = exponent.data() + exponent.size();
        } else {
            rewritten.append(mantissa).append(1, 'e').append(exponent);
            first = rewritten.data();
            last = first + rewritten.size();
        }
    }
    T v{};
    if (std::from_chars(first, last, v).ec == std::errc::result_out_of_range) v = beyond_range<T>(mantissa, exponent);
    return negative ? -v : v;
}

template float WrittenNumber::nearest<float>() const;
template double WrittenNumber::nearest<double>() const;

}  // namespace gridlib::text
