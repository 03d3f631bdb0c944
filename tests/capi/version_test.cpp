// The library's version: one source, written only where it fits.
#include "gridlib.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(Version, WrittenWhenItFitsWithItsNul) {
    char version[GRIDLIB_VERSION_TEXT_SIZE];
    std::int32_t length = sizeof version, status = 1;
    gridlib_version(version, &length, &status);
    ASSERT_EQ(status, GRIDLIB_OK);
    const std::string text = version;
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d+\.\d+\.\d+)"))) << text;

    const struct {
        std::int32_t length;
        std::int32_t status;
    } cases[] = {
        {static_cast<std::int32_t>(text.size()) + 1, GRIDLIB_OK},
        {static_cast<std::int32_t>(text.size()), GRIDLIB_REFUSED},  // no room for the NUL
        {1, GRIDLIB_REFUSED},
        {0, GRIDLIB_REFUSED},
        {-5, GRIDLIB_REFUSED},
    };
    for (const auto& c : cases) {
        char buffer[GRIDLIB_VERSION_TEXT_SIZE];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        std::int32_t s = 1;
        gridlib_version(buffer, &c.length, &s);
        EXPECT_EQ(s, c.status) << c.length;
        if (c.length > 0) EXPECT_EQ(std::string(buffer), c.status == GRIDLIB_OK ? text : "") << c.length;
    }
    gridlib_version(nullptr, &length, &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
    gridlib_version(version, nullptr, &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
}

}  // namespace
