// The number grammar and its exact conversion.
#include "text/written_numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace gridlib::text {
namespace {

struct Scanned {
    const char* text;
    Exponents exponents;
    std::size_t length;  // 0: no number
    const char* exponent;
};

TEST(WrittenNumbers, TakeTheLongestNumberAndExponentsOnlyWithDigits) {
    constexpr auto L = Exponents::lettered;
    constexpr auto S = Exponents::lettered_or_signed;
    const Scanned cases[] = {
        {"12.5", L, 4, ""},        {"-.5x", L, 3, ""},        {"+7.", L, 3, ""},
        {"1.5D+03,", L, 7, "+03"}, {"2d-1", L, 4, "-1"},      {"2E", L, 1, ""},
        {"2E+", L, 1, ""},         {"2E+x", L, 1, ""},        {"1.5+03", L, 3, ""},
        {"1.5+03", S, 6, "+03"},   {"1.5-", S, 3, ""},        {"1.5e-7-2", S, 6, "-7"},
        {".", L, 0, ""},           {"-", L, 0, ""},           {"+-1", L, 0, ""},
        {"e5", L, 0, ""},          {"nan", S, 0, ""},         {"", S, 0, ""},
        {" 1", L, 0, ""},          {"1.2.3", L, 3, ""},       {"0x10", L, 1, ""},
    };
    for (const Scanned& c : cases) {
        const WrittenNumber n = scan_number(c.text, c.exponents);
        EXPECT_EQ(n.length, c.length) << c.text;
        EXPECT_EQ(n.exponent, c.exponent) << c.text;
    }
}

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

TEST(WrittenNumbers, ConvertOnceToTheNearestValueOfEachType) {
    const auto as_float = [](std::string_view s) {
        return scan_number(s, Exponents::lettered_or_signed).nearest<float>();
    };
    const auto as_double = [](std::string_view s) {
        return scan_number(s, Exponents::lettered_or_signed).nearest<double>();
    };
    constexpr float kFloatInf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(as_float("0.1"), 0.1f);
    EXPECT_EQ(as_double("0.1"), 0.1);
    EXPECT_EQ(as_float("1.5D3"), 1500.0f);
    EXPECT_EQ(as_float("-1.5+03"), -1500.0f);
    EXPECT_EQ(as_float("1e-40"), 1e-40f);  // a subnormal float is within the range
    // Between two floats, exactly halfway as a double would round it: the
    // float is rounded once, from the text.
    EXPECT_EQ(as_float("1.00000005960464477539062500001"), std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(as_float("3.4028235e38"), std::numeric_limits<float>::max());

    // Beyond the range an infinity, below it a zero, each with the sign;
    // told apart by the magnitude, not by the exponent's sign alone.
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::string huge_digits = "1" + std::string(400, '0') + "e-5";
    EXPECT_EQ(as_float("1e39"), kFloatInf);
    EXPECT_EQ(as_float("-1e400"), -kFloatInf);
    EXPECT_EQ(as_float(huge_digits), kFloatInf);
    EXPECT_EQ(as_double(huge_digits), std::numeric_limits<double>::infinity());
    EXPECT_EQ(bits(as_float("1e-50")), bits(0.0f));
    EXPECT_EQ(bits(as_float("-1e-50")), bits(-0.0f));
    EXPECT_EQ(bits(as_float("-1e-400")), bits(-0.0f));
    EXPECT_EQ(bits(as_float(tiny)), bits(0.0f));
    EXPECT_EQ(as_double(tiny), 0.0);
    EXPECT_EQ(as_double("-1000d99999999999999999"), -std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace gridlib::text
