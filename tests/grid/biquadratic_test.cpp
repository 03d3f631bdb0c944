// The biquadratic kernel: exact at the nodes, weights that sum to one, and
// exact for every polynomial it is meant to reproduce.
#include "grid/biquadratic.h"

#include <gtest/gtest.h>

namespace gridlib::testing {
namespace {

float at(double fx, double fy, const NodeValues& v) {
    return biquadratic(v, quadratic_weights(fx), quadratic_weights(fy));
}

// Values unlike any polynomial, so that each node's weight shows.
constexpr NodeValues kUneven{3.5f, -1.25f, 8.0f, 0.75f, 12.5f, -6.0f, 2.0f, 9.25f, -0.5f};

TEST(Biquadratic, NodesGiveTheirOwnValues) {
    EXPECT_EQ(at(0, 0, kUneven), 12.5f);   // weights 0, 1, 0 both ways
    EXPECT_EQ(at(1, 0, kUneven), -6.0f);   // the eastern node of the centre row
    EXPECT_EQ(at(-1, 1, kUneven), 2.0f);   // the north-western corner
}

TEST(Biquadratic, EqualValuesStayThatValueAnywhere) {
    NodeValues same;
    same.fill(417.3f);
    for (double fx : {-1.5, -0.7, 0.0, 0.33, 1.5})
        for (double fy : {-1.5, -0.2, 0.5, 1.1}) EXPECT_EQ(at(fx, fy, same), 417.3f) << fx << " " << fy;
}

TEST(Biquadratic, ReproducesEveryProductOfQuadratics) {
    // p(x, y) = (1 - 2x + 0.5x^2)(3 + y - 0.25y^2) + x y: degree two in each variable.
    const auto p = [](double x, double y) { return (1 - 2 * x + 0.5 * x * x) * (3 + y - 0.25 * y * y) + x * y; };
    NodeValues v;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) v[3 * row + column] = static_cast<float>(p(column - 1, row - 1));
    for (double fx : {-1.5, -0.6, 0.25, 0.9, 1.5})
        for (double fy : {-1.4, -0.3, 0.45, 1.5}) EXPECT_NEAR(at(fx, fy, v), p(fx, fy), 1e-5) << fx << " " << fy;
}

}  // namespace
}  // namespace gridlib::testing
