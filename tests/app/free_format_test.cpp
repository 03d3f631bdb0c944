#include "free_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace rastrify {
namespace {

using Kind = FreeField::Kind;

TEST(FreeFormat, ValueEndsAtBlankOrCommaAfterLeadingBlanks) {
    EXPECT_EQ(first_field("   grid.asc  other", SlashEnds::no).text, "grid.asc");
    EXPECT_EQ(first_field("grid.asc,other", SlashEnds::no).text, "grid.asc");
    EXPECT_EQ(first_field("\tgrid.asc\r", SlashEnds::no).text, "grid.asc");
    EXPECT_EQ(first_field("   ", SlashEnds::no).kind, Kind::none);
    EXPECT_EQ(first_field("  , grid.asc", SlashEnds::no).kind, Kind::null);
}

TEST(FreeFormat, SlashBelongsToNamesButEndsNumbers) {
    EXPECT_EQ(first_field("/data/grids/a.asc", SlashEnds::no).text, "/data/grids/a.asc");
    EXPECT_EQ(first_field("800/5", SlashEnds::yes).text, "800");
    EXPECT_EQ(first_field("/800", SlashEnds::yes).kind, Kind::null);
}

TEST(FreeFormat, QuotesKeepBlanksCommasAndDoubledQuotes) {
    const FreeField f = first_field("  'my grids/a, b.asc' rest", SlashEnds::no);
    EXPECT_TRUE(f.quoted);
    EXPECT_EQ(f.text, "my grids/a, b.asc");
    EXPECT_EQ(first_field("\"it's here\"", SlashEnds::no).text, "it's here");
    EXPECT_EQ(first_field("'it''s here'", SlashEnds::no).text, "it's here");
    EXPECT_EQ(first_field("'unclosed name", SlashEnds::no).text, "unclosed name");
}

TEST(FreeFormat, IntegersMustBeWholeIntegers) {
    EXPECT_EQ(free_integer("  +800  9"), 800);
    EXPECT_EQ(free_integer("-5,"), -5);
    EXPECT_EQ(free_integer("2147483647"), 2147483647);
    for (const char* bad : {"", "   ", ",", "abc", "800px", "800.0", "8e2", "+-8", "2147483648", "'800'"})
        EXPECT_FALSE(free_integer(bad)) << bad;
}

TEST(FreeFormat, RealsAcceptFortranExponentsAndRefuseWhatNoFloatHolds) {
    EXPECT_EQ(free_real(" -12 "), -12.0f);
    EXPECT_EQ(free_real("1.5D3"), 1500.0f);
    EXPECT_EQ(free_real("-2e-1"), -0.2f);
    EXPECT_EQ(free_real(".5"), 0.5f);
    EXPECT_EQ(free_real("5.,7"), 5.0f);
    EXPECT_EQ(free_real("0.1"), 0.1f);  // rounded once, straight to float
    EXPECT_EQ(free_real("1e-50"), 0.0f);
    EXPECT_TRUE(std::signbit(*free_real("-1e-50")));
    EXPECT_EQ(free_real("3.4028235e38"), std::numeric_limits<float>::max());
    // Option values take exponents with their letter only.
    for (const char* bad : {"", ".", "e5", "1e", "1.5x", "1e39", "-1e400", "inf", "nan", "0x10", "1.5+03", "1d"})
        EXPECT_FALSE(free_real(bad)) << bad;
}

}  // namespace
}  // namespace rastrify
