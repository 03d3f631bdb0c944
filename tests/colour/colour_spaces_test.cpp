#include "colour/colour_spaces.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib {
namespace {

constexpr float kTol = 1e-6f;

TEST(RotatedCube, PrimariesGreysAndClampingInPlace) {
    Rgb blue{0, 0, 1};
    Hsv h = rgb_to_hsv(blue);
    EXPECT_EQ(h.hue, 0.0f);
    EXPECT_NEAR(h.saturation, 0.81649655f, kTol);
    EXPECT_NEAR(h.value, 0.57735026f, kTol);

    Rgb red{1, 0, 0};
    h = rgb_to_hsv(red);  // x < 0: the angle is turned by pi
    EXPECT_NEAR(h.hue, 4.1887901f, 1e-5f);
    EXPECT_NEAR(h.saturation, 0.81649655f, kTol);

    Rgb grey{0.3f, 0.3f, 0.3f};
    h = rgb_to_hsv(grey);
    EXPECT_EQ(h.hue, 0.0f);
    EXPECT_NEAR(h.saturation, 0.0f, kTol);

    Rgb bright{1.5f, -0.5f, 0.25f};
    rgb_to_hsv(bright);
    EXPECT_EQ(bright, (Rgb{1.0f, 0.0f, 0.25f}));
}

TEST(RotatedCube, RoundTripsExceptOnTheZeroAxis) {
    const Rgb c = hsv_to_rgb({0.0f, 0.81649655f, 0.57735026f});
    EXPECT_NEAR(c.red, 0.0f, kTol);
    EXPECT_NEAR(c.green, 0.0f, kTol);
    EXPECT_NEAR(c.blue, 1.0f, kTol);

    for (Rgb in : {Rgb{0.2f, 0.7f, 0.4f}, Rgb{0.9f, 0.1f, 0.6f}, Rgb{1, 1, 0}, Rgb{0, 1, 1}}) {
        Rgb copy = in;
        const Rgb out = hsv_to_rgb(rgb_to_hsv(copy));
        EXPECT_NEAR(out.red, in.red, 1e-5f);
        EXPECT_NEAR(out.green, in.green, 1e-5f);
        EXPECT_NEAR(out.blue, in.blue, 1e-5f);
    }

    // blue * 2 == red + green puts the colour on x = 0, where the hue is
    // taken as 0 whatever y is, so the colour does not come back.
    Rgb on_axis{0.75f, 0.25f, 0.5f};
    const Hsv h = rgb_to_hsv(on_axis);
    EXPECT_EQ(h.hue, 0.0f);
    EXPECT_GT(std::abs(hsv_to_rgb(h).red - 0.75f), 0.1f);
}

TEST(Hsl, StatedValuesAndTieOrder) {
    Hsl h = rgb_to_hsl({1, 0, 0});
    EXPECT_EQ(h.hue, 0.0f);
    EXPECT_EQ(h.saturation, 1.0f);
    EXPECT_EQ(h.lightness, 0.5f);
    EXPECT_EQ(rgb_to_hsl({1, 0, 1}).hue, -1.0f);  // magenta: red wins the tie with blue
    EXPECT_EQ(rgb_to_hsl({1, 1, 0}).hue, 1.0f);   // yellow: red wins the tie with green
    h = rgb_to_hsl({0.5f, 0.5f, 0.5f});
    EXPECT_EQ(h.hue, 0.0f);
    EXPECT_EQ(h.saturation, 0.0f);
    EXPECT_EQ(h.lightness, 0.5f);
    // The caller's values are read clamped but not changed.
    EXPECT_EQ(rgb_to_hsl({2.0f, 0, 0}).lightness, 0.5f);

    EXPECT_EQ(hsl_to_rgb({-1, 1, 0.5f}), (Rgb{1, 0, 1}));
    EXPECT_EQ(hsl_to_rgb({2.7f, 0, 0.3f}), (Rgb{0.3f, 0.3f, 0.3f}));
}

TEST(Hsl, RoundTripsThroughEverySextant) {
    for (Rgb in : {Rgb{0.9f, 0.3f, 0.1f}, Rgb{0.9f, 0.1f, 0.3f}, Rgb{0.3f, 0.9f, 0.1f}, Rgb{0.1f, 0.9f, 0.3f},
                   Rgb{0.1f, 0.3f, 0.9f}, Rgb{0.3f, 0.1f, 0.9f}, Rgb{0.8f, 0.7f, 0.75f}}) {
        const Rgb out = hsl_to_rgb(rgb_to_hsl(in));
        EXPECT_NEAR(out.red, in.red, 1e-5f);
        EXPECT_NEAR(out.green, in.green, 1e-5f);
        EXPECT_NEAR(out.blue, in.blue, 1e-5f);
    }
}

}  // namespace
}  // namespace gridlib
