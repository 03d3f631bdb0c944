// The spacing in metres of grids in degrees, and the bytes of a kept
// histogram file, through the C entry points callers use.
#include "gridlib.h"

#include "descriptor/grid_descriptor.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <numeric>
#include <vector>

namespace gridlib {
namespace {

TEST(GroundSpacing, DegreesBecomeMetresAtTheMiddleLatitude) {
    struct Case {
        float south, north, column, row;
        float column_metres, row_metres, latitude;
        std::int32_t status;
    };
    for (const Case& c : std::vector<Case>{
             {-1.0f, 1.0f, 0.01f, 0.02f, 1111.2f, 2222.4f, 0.0f, GRIDLIB_OK},
             {59.0f, 61.0f, 0.002f, 0.001f, 111.12f, 111.12f, 60.0f, GRIDLIB_OK},
             {-61.0f, -59.0f, 1.0f, 1.0f, 55560.0f, 111120.0f, -60.0f, GRIDLIB_OK},
             {80.0f, 95.0f, 1.0f, 1.0f, 0, 0, 0, GRIDLIB_REFUSED},  // beyond the pole
             {0.0f, 1.0f, 0.0f, 1.0f, 0, 0, 0, GRIDLIB_REFUSED},    // no spacing
         }) {
        GridDescriptor g;
        DescriptorView d = g.view();
        d.south_y() = c.south, d.north_y() = c.north, d.column_spacing() = c.column, d.row_spacing() = c.row;
        float column = -1, row = -1, latitude = -1;
        std::int32_t status = 99;
        gridlib_ground_spacing(g.ihead.data(), g.rhead.data(), &column, &row, &latitude, &status);
        EXPECT_EQ(status, c.status) << c.south;
        if (status != GRIDLIB_OK) {
            EXPECT_EQ(column, -1.0f);
            continue;
        }
        EXPECT_NEAR(column, c.column_metres, 1e-3 * c.column_metres) << c.south;
        EXPECT_NEAR(row, c.row_metres, 1e-4 * c.row_metres) << c.south;
        EXPECT_NEAR(latitude, c.latitude, 1e-4) << c.south;
    }
}

TEST(KeptHistogramFile, HoldsTheLimitsAndLevelsLittleEndian) {
    // Written without an output group: renamed into place at once.
    const std::string path = ::testing::TempDir() + "kept_histogram_file_test.his";
    std::array<std::int32_t, GRIDLIB_LEVELS> levels{};
    std::iota(levels.begin(), levels.end(), 1);
    levels[GRIDLIB_LEVELS - 1] = 0x01020304;
    const float lower = -2.5f, upper = 1.0f;
    const std::int32_t length = static_cast<std::int32_t>(path.size());
    std::int32_t status = 99;
    gridlib_write_histogram_file(path.c_str(), &length, &lower, &upper, levels.data(), &status);
    ASSERT_EQ(status, GRIDLIB_OK);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<unsigned char> bytes(20000);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    std::remove(path.c_str());
    ASSERT_EQ(bytes.size(), 16394u);
    const std::vector<unsigned char> head(bytes.begin(), bytes.begin() + 14);
    EXPECT_EQ(head, (std::vector<unsigned char>{0, 0, 0, 0, 0x20, 0xc0, 0, 0, 0x80, 0x3f, 1, 0, 0, 0}));
    EXPECT_EQ(std::vector<unsigned char>(bytes.end() - 4, bytes.end()),
              (std::vector<unsigned char>{4, 3, 2, 1}));

    gridlib_write_histogram_file(path.c_str(), &length, &lower, &upper, nullptr, &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
}

}  // namespace
}  // namespace gridlib
