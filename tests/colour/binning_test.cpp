// The bin rule shared by the histogram and the image writers.
#include "colour/binning.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib {
namespace {

TEST(Bins, LimitsWhoseFloatDifferenceOverflowsStillSpreadTheValues) {
    // 3e38 - (-3e38) is beyond the float range; an infinite width would put
    // every value between the limits into bin 1.
    const Bins wide(-3.0e38f, 3.0e38f);
    EXPECT_TRUE(std::isfinite(wide.width()));
    EXPECT_EQ(wide.bin(0.0f), 2049);
    EXPECT_EQ(wide.bin(-2.9e38f), 1 + static_cast<int>(0.1e38 / (6.0e38 / 4096)));
    EXPECT_EQ(wide.bin(3.0e38f), 4096);
}

TEST(Bins, OrdinaryLimitsKeepTheFloatWidth) {
    EXPECT_EQ(Bins(0.1f, 0.7f).width(), (0.7f - 0.1f) / 4096.0f);
    EXPECT_EQ(Bins(-1234.5f, 98765.25f).width(), (98765.25f - -1234.5f) / 4096.0f);
    const Bins unit(0.0f, 4096.0f);
    EXPECT_EQ(unit.bin(0.0f), 1);
    EXPECT_EQ(unit.bin(4095.5f), 4096);
    EXPECT_EQ(unit.bin(17.0f), 18);
}

}  // namespace
}  // namespace gridlib
