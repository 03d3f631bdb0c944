// Hostile and fuzz-found files: each is refused with its own status, never a
// crash, a hang or a read out of bounds (the sanitizer build runs them too).
#include "formats/grid_header.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace gridlib::testing {
namespace {

TEST(HostileFiles, EachIsRefusedWithItsStatus) {
    const char* source = std::getenv("GRIDLIB_SOURCE_DIR");
    ASSERT_TRUE(source) << "GRIDLIB_SOURCE_DIR must name the source tree";
    const std::string folder = std::string(source) + "/tests/data/hostile/";
    std::ifstream list(folder + "expected.txt");
    ASSERT_TRUE(list);
    TempDir dir;
    int files = 0;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line.front() == '#') continue;
        std::istringstream fields(line);
        std::string name, read_expected;
        std::int32_t header_expected = 0;
        fields >> name >> header_expected >> read_expected;
        ++files;

        GridDescriptor g(16);
        auto d = g.view();
        d.null_value() = kNullValue;
        EXPECT_EQ(read_grid_header(folder + name, d), header_expected) << name;
        if (read_expected == "-") continue;
        EXPECT_EQ(read_into_working_grid(folder + name, dir.file("work.tmp"), d, whole(d)), std::stoi(read_expected))
            << name;
    }
    EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace gridlib::testing
