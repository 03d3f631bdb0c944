// Trimming, upper-casing and field conversion of fixed-length texts.
#include "text/fields.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

namespace gridlib::text {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A blank-padded fixed-length text holding s at offset at.
std::string text_with(std::string_view s, std::size_t length, std::size_t at = 0) {
    std::string t(length, ' ');
    std::copy(s.begin(), s.end(), t.begin() + static_cast<std::ptrdiff_t>(at));
    return t;
}

TEST(TextEdits, TrimLeftJustifiesAndUpperOnlyTouchesLetters) {
    std::string t = text_with(std::string("  X\0Y", 5), 10);
    EXPECT_EQ(justify_left(t), 3u);
    EXPECT_EQ(t, text_with("X Y", 10));
    std::string blank(6, ' '), nuls(4, '\0'), empty;
    EXPECT_EQ(justify_left(blank), 0u);
    EXPECT_EQ(justify_left(nuls), 0u);
    EXPECT_EQ(nuls, "    ");
    EXPECT_EQ(justify_left(empty), 0u);

    std::string u = "abcd", mixed = "x1-y_z{";
    upper_case(u, 3);
    upper_case(mixed, 100);  // n beyond the text stops at its end
    EXPECT_EQ(u, "ABCd");
    EXPECT_EQ(mixed, "X1-Y_Z{");
}

TEST(NumberConversion, LongestNumericPrefixExactlyConverted) {
    EXPECT_EQ(real_value("  -12.25xyz"), -12.25);
    EXPECT_EQ(real_value("+.5"), 0.5);
    EXPECT_EQ(real_value("7."), 7.0);
    EXPECT_EQ(real_value("1.5D2"), 150.0);
    EXPECT_EQ(real_value("1.5d-2"), 0.015);
    EXPECT_EQ(real_value("2E+x"), 2.0);  // an exponent needs digits
    EXPECT_EQ(real_value("0.1"), 0.1);   // the nearest double, not an accumulated sum
    for (const char* none : {"abc", ".", "-", "", "nan", "inf"}) EXPECT_EQ(real_value(none), 0.0) << none;
    EXPECT_EQ(real_value("0x1A"), 0.0);

    EXPECT_EQ(real_value("1e400"), kInf);
    EXPECT_EQ(real_value("-2.5D999"), -kInf);
    EXPECT_EQ(real_value("1e-400"), 0.0);
    EXPECT_EQ(real_value("-1000e99999999999999"), -kInf);
    EXPECT_EQ(float_value("1e39"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(float_value("3.4028234e38"), std::numeric_limits<float>::max());

    EXPECT_EQ(integer_value("12.7"), 12);
    EXPECT_EQ(integer_value("1E3"), 1);
    EXPECT_EQ(integer_value("  -42 "), -42);
    EXPECT_EQ(integer_value("x5"), 0);
    EXPECT_EQ(integer_value("-2147483648"), std::numeric_limits<std::int32_t>::min());
    // Too large to hold: the end of the range, never a wrapped small number.
    EXPECT_EQ(integer_value("4294967396"), std::numeric_limits<std::int32_t>::max());
}

TEST(FieldConversion, SeparatorsAndMissingFields) {
    const std::string t = text_with(",, 3.5,4", 20);
    std::array<double, 2> two{};
    EXPECT_TRUE(parse_doubles(t, two));
    EXPECT_EQ(two, (std::array<double, 2>{3.5, 4.0}));
    std::array<double, 3> three{9, 9, 9};
    EXPECT_FALSE(parse_doubles(t, three));  // the values found stay stored
    EXPECT_EQ(three, (std::array<double, 3>{3.5, 4.0, 9.0}));

    std::array<double, 1> one{7};
    EXPECT_TRUE(parse_doubles(text_with("abc", 10), one));  // not a number: 0 without complaint
    EXPECT_EQ(one[0], 0.0);
    EXPECT_FALSE(parse_doubles(std::string(10, ' '), one));

    // NUL ends a field, TAB does not; a one-character field may end the text.
    EXPECT_TRUE(parse_doubles(std::string("1\0" "2 3", 5), three));
    EXPECT_EQ(three, (std::array<double, 3>{1.0, 2.0, 3.0}));
    EXPECT_FALSE(parse_doubles(std::string_view("1\t2"), two));
    EXPECT_EQ(two[0], 1.0);
    std::array<float, 1> f{};
    EXPECT_TRUE(parse_floats(std::string_view("7"), f));
    EXPECT_EQ(f[0], 7.0f);

    std::array<std::int32_t, 2> n{};
    EXPECT_TRUE(parse_integers(text_with("-3,9", 20), n));
    EXPECT_EQ(n, (std::array<std::int32_t, 2>{-3, 9}));
}

TEST(FieldConversion, LongFieldsAreConvertedWhole) {
    std::array<double, 1> v{};
    EXPECT_TRUE(parse_doubles(text_with("12345678901234567890123", 40), v));
    EXPECT_EQ(v[0], 12345678901234567890123.0);
    std::array<std::int32_t, 1> i{};
    EXPECT_TRUE(parse_integers(text_with("000000000000000000000000042", 40), i));
    EXPECT_EQ(i[0], 42);
}

TEST(FieldConversion, ScanWindowOf255Positions) {
    // The real converters stop at position 255, cutting a field there.
    std::array<float, 2> v{};
    std::string t = text_with("1.5", 300);
    std::copy_n("2.5", 3, t.begin() + 260);
    EXPECT_FALSE(parse_floats(t, v));
    std::copy_n("12345", 5, t.begin() + 252);
    EXPECT_TRUE(parse_floats(t, v));
    EXPECT_EQ(v[1], 123.0f);

    // The integer converter scans on, but from there a comma starts a field.
    std::array<std::int32_t, 3> n{};
    EXPECT_TRUE(parse_integers(text_with(",,8", 300, 260), std::span(n).first(2)));
    EXPECT_EQ(n[0], 0);
    EXPECT_EQ(n[1], 8);
    EXPECT_TRUE(parse_integers(text_with(",,8", 300, 100), std::span(n).first(1)));
    EXPECT_EQ(n[0], 8);
}

}  // namespace
}  // namespace gridlib::text
