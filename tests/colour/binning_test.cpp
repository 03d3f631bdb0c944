// The bin rule shared by the histogram and the image writers.
#include "colour/binning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

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

TEST(Bins, ManyValuesAtOnceFallInTheBinsOfOneAtATime) {
    // Values on and next to every bin boundary, where a quotient rounded
    // differently would change the bin (between -298.203766 and 524.513306,
    // -246.783951 divided by the width is 256 exactly, and multiplied by its
    // inverse 255.99999999999997), and values outside the limits.
    const Bins cases[] = {Bins(-298.203766f, 524.513306f), Bins(0.0f, 4096.0f), Bins(0.1f, 0.7f),
                          Bins(-1234.5f, 98765.25f), Bins(-3.0e38f, 3.0e38f), Bins(1.0f, 1.0f + 4096 * 1.0e-7f),
                          Bins(-1.0e-30f, 1.0e-30f)};
    for (const Bins& bins : cases) {
        std::vector<float> values = {bins.lower(), bins.upper(), std::nextafter(bins.lower(), -INFINITY),
                                     std::nextafter(bins.upper(), INFINITY), NAN, INFINITY, -INFINITY,
                                     -1.0e30f, std::nextafter(-1.0e30f, 0.0f)};
        for (int k = 0; k <= 4096; ++k) {
            const float boundary = static_cast<float>(double(bins.lower()) + double(bins.width()) * k);
            for (float v = std::nextafter(boundary, -INFINITY), n = 0; n < 3; v = std::nextafter(v, INFINITY), ++n)
                values.push_back(v);
        }
        std::vector<std::int32_t> out(values.size());
        bins.zero_based_bins(values, out.data());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::int32_t expected = is_valid(values[i]) ? bins.bin(values[i]) - 1 : 4096;
            ASSERT_EQ(out[i], expected) << values[i] << " between " << bins.lower() << " and " << bins.upper();
        }
    }
}

}  // namespace
}  // namespace gridlib
