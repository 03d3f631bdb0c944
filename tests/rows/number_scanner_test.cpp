// Free-format number tokens and line handling of the text row scanner.
#include "rows/number_scanner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <random>

#include "descriptor/grid_descriptor.h"

namespace gridlib::testing {
namespace {

float parsed(std::string_view token) {
    float v = -12345.0f;
    EXPECT_TRUE(rows::parse_number(token, v)) << token;
    return v;
}

TEST(ParseNumber, AcceptsWhatFortranWritesAndNothingElse) {
    EXPECT_EQ(parsed("123.456"), 123.456f);
    EXPECT_EQ(parsed("+7"), 7.0f);
    EXPECT_EQ(parsed("-.5"), -0.5f);
    EXPECT_EQ(parsed("5."), 5.0f);
    EXPECT_EQ(parsed("1.5D+03"), 1500.0f);
    EXPECT_EQ(parsed("2d-1"), 0.2f);
    EXPECT_EQ(parsed("1.0-3"), 0.001f);   // exponent without its letter
    EXPECT_EQ(parsed("1e-50"), 0.0f);     // underflow
    EXPECT_EQ(parsed("1e-400"), 0.0f);
    EXPECT_EQ(parsed("3e38"), 3.0e38f);
    EXPECT_EQ(parsed("1e39"), kNullValue);  // beyond the float range
    EXPECT_EQ(parsed("-1e400"), kNullValue);
    EXPECT_EQ(parsed("NaN"), kNullValue);
    EXPECT_EQ(parsed("-inf"), kNullValue);
    EXPECT_EQ(parsed("+NaN"), kNullValue);
    // Beyond or below the range by the magnitude of the whole number, not by
    // the sign of its exponent: a tiny number is zero, a huge one missing.
    EXPECT_EQ(parsed("0." + std::string(400, '0') + "1"), 0.0f);
    EXPECT_EQ(parsed("1" + std::string(400, '0') + "e-5"), kNullValue);
    EXPECT_TRUE(std::signbit(parsed("-1e-400")));

    float v = 0;
    for (std::string_view bad : {"", "x", "1.2.3", "--1", "+-1", "1e", "0x10", "1,5", "1-2-3", "*"}) {
        EXPECT_FALSE(rows::parse_number(bad, v)) << bad;
    }
}

TEST(SkipLines, CountsCrLfAsOneLineEnd) {
    TempDir dir;
    write_file(dir.file("t"), "a\r\nb\rc\nd");
    auto f = platform::File::open_read(dir.file("t"));
    ASSERT_TRUE(f);
    EXPECT_TRUE(rows::skip_lines(*f, 3));
    EXPECT_EQ(f->read_byte(), 'd');
    EXPECT_FALSE(rows::skip_lines(*f, 1));  // nothing after d
}

TEST(LineStart, TakesTheStartAndConsumesTheWholeLine) {
    TempDir dir;
    write_file(dir.file("t"), "abcdef" + std::string(300000, 'x') + "\r\n\nabc\r");
    auto f = platform::File::open_read(dir.file("t"));
    ASSERT_TRUE(f);
    std::array<char, 4> start{};
    EXPECT_EQ(rows::read_line_start(*f, start), 4u);
    EXPECT_EQ(std::string(start.data(), 4), "abcd");
    EXPECT_EQ(rows::read_line_start(*f, start), 0u);  // an empty line is no end of file
    EXPECT_EQ(rows::read_line_start(*f, start), 3u);
    EXPECT_EQ(std::string(start.data(), 4), "abc ");
    EXPECT_EQ(rows::read_line_start(*f, start), std::nullopt);
}

}  // namespace
}  // namespace gridlib::testing

namespace gridlib::rows {
namespace {

TEST(NumberScanner, ShortDecimalsRoundExactlyAsTheGeneralConversion) {
    // Short decimals take a quicker path; it must give the very same floats,
    // ties and signed zeros included.
    std::mt19937 random(12345);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 8);
        std::string text = random() % 2 ? "-" : "";
        const int point = static_cast<int>(random() % static_cast<unsigned>(digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        float fast = 0, general = 0;
        ASSERT_TRUE(parse_number(text, fast)) << text;
        std::from_chars(text.data(), text.data() + text.size(), general);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(fast), std::bit_cast<std::uint32_t>(general)) << text;
    }
}

}  // namespace
}  // namespace gridlib::rows
