// The pyramid's limits are also its colour bar's: limits the bar cannot lay
// out on its axis are refused before anything is read or made.
#include "gridlib.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(TilePyramid, LimitsItsColourBarCannotShowAreRefusedBeforeAnythingIsRead) {
    gridlib::testing::TempDir dir;
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::int32_t axis;
        float lower, upper;
        std::int32_t status;
    };
    // The working grid does not exist: limits that pass get as far as reading it.
    for (const Case& c : std::vector<Case>{{GRIDLIB_BAR_LOG, -1, 10, GRIDLIB_REFUSED},
                                           {GRIDLIB_BAR_LOG, 0, 10, GRIDLIB_REFUSED},
                                           {GRIDLIB_BAR_LINEAR, -inf, 10, GRIDLIB_REFUSED},
                                           {GRIDLIB_BAR_STEPS, 0, inf, GRIDLIB_REFUSED},
                                           {GRIDLIB_BAR_LOG, 1, 10, GRIDLIB_IMAGE_GRID_UNREADABLE},
                                           {GRIDLIB_BAR_LINEAR, -1, 10, GRIDLIB_IMAGE_GRID_UNREADABLE}}) {
        SCOPED_TRACE(std::to_string(c.axis) + ": " + std::to_string(c.lower) + " " + std::to_string(c.upper));
        std::vector<std::int32_t> ihead(GRIDLIB_IHEAD_SIZE, 0), levels(GRIDLIB_LEVELS, 1),
            colours(3 * GRIDLIB_COLOURS, 0);
        std::vector<float> rhead(GRIDLIB_RHEAD_SIZE, 0.0f);
        ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BINARY_512;
        ihead[GRIDLIB_COLUMNS] = ihead[GRIDLIB_ROWS] = 4;
        rhead[GRIDLIB_COLOUR_MIN] = c.lower;
        rhead[GRIDLIB_COLOUR_MAX] = c.upper;
        const std::string work = dir.file("none.tmp"), folder = dir.file("tiles"), title = "t";
        const auto work_length = static_cast<std::int32_t>(work.size()),
                   folder_length = static_cast<std::int32_t>(folder.size()),
                   title_length = static_cast<std::int32_t>(title.size());
        const std::int32_t mapping = GRIDLIB_MAPPING_LINEAR, count = 10;
        std::int32_t status = GRIDLIB_OK;
        gridlib_write_tile_pyramid(work.c_str(), &work_length, ihead.data(), rhead.data(), &mapping, levels.data(),
                                   &count, colours.data(), title.c_str(), &title_length, &c.axis, nullptr,
                                   folder.c_str(), &folder_length, &status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
    }
}

}  // namespace
