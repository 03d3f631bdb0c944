// The library's version: written only where it fits with its NUL.
#include "gridlib.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(Version, WrittenOnlyWhereItFits) {
    char version[GRIDLIB_VERSION_TEXT_SIZE];
    std::int32_t length = sizeof version, status = 1;
    gridlib_version(version, &length, &status);
    ASSERT_EQ(status, GRIDLIB_OK);
    const std::string text = version;
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d+\.\d+\.\d+)"))) << text;

    const auto size = static_cast<std::int32_t>(text.size());
    for (const std::int32_t room : {size + 1, size, 1, 0, -5}) {
        char buffer[GRIDLIB_VERSION_TEXT_SIZE] = "unchanged";
        gridlib_version(buffer, &room, &status);
        EXPECT_EQ(status, room > size ? GRIDLIB_OK : GRIDLIB_REFUSED) << room;
        if (room > 0) {
            EXPECT_EQ(std::string(buffer), room > size ? text : "") << room;
        }
    }
    gridlib_version(nullptr, &length, &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
}

}  // namespace
