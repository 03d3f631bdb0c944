// The gradient writer through its C entry point: the slope codes of planes
// of known slope make their own surface normal, null neighbours and edges
// fall back or mark cells without shading data, and bad requests are refused.
#include "gridlib.h"
#include "image/image_files.h"
#include "image/slope_codes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::TempDir;

using testing::kNull;
constexpr std::int16_t kLevel = 4 * 32 + 2;  // the code of level ground

// The gradient file and slope table GRDGRAD makes of a working grid.
struct Gradient {
    std::int32_t status = 99;
    std::int32_t columns = 0;
    std::vector<std::int16_t> first, second;  // northern row first
    std::array<float, 64> table{};

    std::int16_t first_at(int row, int column) const { return first.at(static_cast<std::size_t>(row * columns + column)); }
    std::int16_t second_at(int row, int column) const {
        return second.at(static_cast<std::size_t>(row * columns + column));
    }
};

// The arguments of one call on dir/grid, writing dir/gradient.
struct Slopes {
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};
    float exaggeration = 1.0f;

    Slopes(std::int32_t columns, std::int32_t rows, float dx, float dy) {
        ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BINARY_512;
        ihead[GRIDLIB_COLUMNS] = columns;
        ihead[GRIDLIB_ROWS] = rows;
        rhead[GRIDLIB_COLUMN_SPACING] = dx;
        rhead[GRIDLIB_ROW_SPACING] = dy;
    }
    Gradient write(const TempDir& dir, const std::string& gradient = "gradient") const {
        // Names as blank-padded fixed-length texts.
        const std::string grid_text = dir.file("grid") + "   ", gradient_text = dir.file(gradient) + " ";
        const auto grid_length = static_cast<std::int32_t>(grid_text.size()),
                   gradient_length = static_cast<std::int32_t>(gradient_text.size());
        Gradient g;
        g.columns = ihead[GRIDLIB_COLUMNS];
        GRDGRAD(grid_text.data(), &grid_length, gradient_text.data(), &gradient_length, ihead.data(), rhead.data(),
                &exaggeration, g.table.data(), &g.status);
        if (g.status != GRIDLIB_OK) return g;
        const auto bytes = testing::read_file(dir.file(gradient));
        const std::size_t n = static_cast<std::size_t>(g.columns);
        EXPECT_EQ(bytes.size(), 4 * n * static_cast<std::size_t>(ihead[GRIDLIB_ROWS]));
        std::vector<std::int16_t> codes(bytes.size() / 2);
        std::memcpy(codes.data(), bytes.data(), bytes.size());
        for (std::size_t at = 0; at < codes.size(); at += 2 * n) {
            g.first.insert(g.first.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
                           codes.begin() + static_cast<std::ptrdiff_t>(at + n));
            g.second.insert(g.second.end(), codes.begin() + static_cast<std::ptrdiff_t>(at + n),
                            codes.begin() + static_cast<std::ptrdiff_t>(at + 2 * n));
        }
        return g;
    }
};

// Values of the plane z = rise_east * x + rise_north * y on cells dx by dy,
// northern row first.
std::vector<float> plane(int columns, int rows, float dx, float dy, double rise_east, double rise_north) {
    std::vector<float> v;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            v.push_back(static_cast<float>(1000.0 + rise_east * c * dx + rise_north * (rows - 1 - r) * dy));
    return v;
}

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

TEST(GradientWriter, PlanesOfKnownSlopeMakeTheirOwnNormal) {
    // Rises along x and y (per unit), each plane on cells 10 wide and 20
    // high, so that swapped spacings or axes show.
    const std::vector<std::pair<double, double>> rises = {{0, 0},     {0.5, 0},  {0, 0.5},  {-0.25, 0.75},
                                                          {2.5, -1.5}, {-30, 0.05}, {0.01, -0.01}};
    const int columns = 5, rows = 4;
    for (const auto& [rise_east, rise_north] : rises) {
        SCOPED_TRACE(::testing::PrintToString(rise_east) + ", " + ::testing::PrintToString(rise_north));
        TempDir dir;
        testing::write_working_grid(dir.file("grid"), columns, plane(columns, rows, 10, 20, rise_east, rise_north));
        const Gradient g = Slopes(columns, rows, 10, 20).write(dir);
        ASSERT_EQ(g.status, GRIDLIB_OK);

        // On a plane, one-sided differences at the edges equal the central ones.
        EXPECT_EQ(std::count(g.first.begin(), g.first.end(), g.first[0]), columns * rows);
        EXPECT_EQ(std::count(g.second.begin(), g.second.end(), g.second[0]), columns * rows);
        if (rise_east == 0 && rise_north == 0) {
            EXPECT_EQ(g.first[0], kLevel);
        }
        // Each table entry is the sine of the fall's angle, to within half a step.
        const double ta = g.table.at(static_cast<std::size_t>(g.first[0] / 4)),
                     tb = g.table.at(static_cast<std::size_t>(g.second[0] / 4));
        EXPECT_NEAR(degrees(std::asin(ta)), degrees(std::atan(-rise_east)), 2.2);
        EXPECT_NEAR(degrees(std::asin(tb)), degrees(std::atan(-rise_north)), 2.2);

        // The normal the shaded writer makes of them (as gridlib.h gives it)
        // is the plane's normal (-rise_east, -rise_north, 1), normalised.
        const double d = 1 - ta * ta * tb * tb;
        const double nx = ta * std::sqrt((1 - tb * tb) / d), ny = tb * std::sqrt((1 - ta * ta) / d);
        const double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
        const double length = std::hypot(rise_east, rise_north, 1.0);
        const double cosine = (-rise_east * nx - rise_north * ny + nz) / length;
        EXPECT_GT(cosine, std::cos(3.0 * std::numbers::pi / 180)) << "normal off by " << degrees(std::acos(cosine));
    }
}

TEST(GradientWriter, RowsComeNorthernFirstWhateverTheStorageOrderAndThreadCount) {
    // Heights rising to the north by the square of the row, z = y^2 / 10
    // with y counted from the south, so that every row falls by its own
    // amount; so wide a grid that it is coded in blocks of a few rows, each
    // block's edge rows taking their differences from the next block's rows.
    // Stored northern or southern row first, with 1 to 3 threads, each row
    // gets the code of its own fall.
    const int columns = 16384, rows = 11;
    std::vector<float> values;
    for (int y = rows - 1; y >= 0; --y) values.insert(values.end(), columns, static_cast<float>(0.1 * y * y));
    const auto z = [&](int r) { return double(values[static_cast<std::size_t>(r * columns)]); };
    const SlopeCoder coder;
    std::vector<std::int16_t> expected;  // the second codes, the northern row first
    for (int r = 0; r < rows; ++r) {
        // One-sided at the northern and southern edge rows, else central.
        const double fall = r == 0 ? z(1) - z(0) : r == rows - 1 ? z(r) - z(r - 1) : (z(r + 1) - z(r - 1)) * 0.5;
        expected.insert(expected.end(), columns, coder.code(fall));
    }
    ASSERT_NE(expected.front(), expected[static_cast<std::size_t>(columns)]);
    TempDir dir;
    for (const std::int32_t order : {-2, 1}) {
        testing::write_working_grid(dir.file("grid"), columns, values, order);
        for (const char* threads : {"1", "2", "3"}) {
            ::setenv("GRIDLIB_THREADS", threads, 1);
            const Gradient g = Slopes(columns, rows, 1, 1).write(dir);
            ASSERT_EQ(g.status, GRIDLIB_OK);
            EXPECT_EQ(g.first, std::vector<std::int16_t>(expected.size(), kLevel)) << order << ", " << threads;
            EXPECT_EQ(g.second, expected) << order << ", " << threads;
        }
    }
    ::unsetenv("GRIDLIB_THREADS");
}

TEST(GradientWriter, NullNeighboursFallBackToTheOtherOrMarkNoShadingData) {
    // A plane rising both ways with a null cell at row 1, column 1: the cell
    // west of it has no neighbour along x (the edge and the null), the cell
    // north of it none along y; east and south of it the one-sided
    // difference still finds the plane's slope.
    const int columns = 4, rows = 4;
    std::vector<float> values = plane(columns, rows, 2, 2, 0.5, 0.25);
    values[1 * columns + 1] = kNull;
    TempDir dir;
    testing::write_working_grid(dir.file("grid"), columns, values);
    const Gradient g = Slopes(columns, rows, 2, 2).write(dir);
    ASSERT_EQ(g.status, GRIDLIB_OK);
    const std::int16_t first = g.first_at(3, 3), second = g.second_at(3, 3);  // a cell far from the null
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const bool none = (r == 1 && c <= 1) || (r == 0 && c == 1);
            EXPECT_EQ(g.first_at(r, c), none ? 0 : first) << r << ", " << c;
            EXPECT_EQ(g.second_at(r, c), none ? 0 : second) << r << ", " << c;
        }
    }

    // A single column has no neighbour along x at all, and infinite values
    // make differences that are no slope.
    testing::write_working_grid(dir.file("grid"), 1, {1, 2, 3});
    const Gradient column = Slopes(1, 3, 1, 1).write(dir);
    EXPECT_EQ(column.first, std::vector<std::int16_t>(3, 0));
    const float inf = std::numeric_limits<float>::infinity();
    testing::write_working_grid(dir.file("grid"), 3, {1, 2, 3, inf, 5, 6});
    const Gradient infinite = Slopes(3, 2, 1, 1).write(dir);
    ASSERT_EQ(infinite.status, GRIDLIB_OK);
    for (std::size_t c = 0; c < 6; ++c) {
        const bool touches = c == 0 || c == 3 || c == 4;  // a difference with the infinite cell
        EXPECT_EQ(infinite.first[c] == 0, touches) << c;
        EXPECT_EQ(infinite.second[c] == 0, touches) << c;
    }
}

TEST(GradientWriter, ExaggerationScalesTheRelief) {
    TempDir dir;
    testing::write_working_grid(dir.file("grid"), 3, plane(3, 2, 1, 1, 0.2, -0.1));
    Slopes slopes(3, 2, 1, 1);
    slopes.exaggeration = 0.0f;
    EXPECT_EQ(slopes.write(dir).first, std::vector<std::int16_t>(6, kLevel));
    slopes.exaggeration = 3.0f;
    const Gradient tripled = slopes.write(dir);
    testing::write_working_grid(dir.file("grid"), 3, plane(3, 2, 1, 1, 0.6, -0.3));
    slopes.exaggeration = 1.0f;
    const Gradient steeper = slopes.write(dir);
    EXPECT_EQ(tripled.first, steeper.first);
    EXPECT_EQ(tripled.second, steeper.second);
}

TEST(GradientWriter, RefusalsAndFailuresWriteNothing) {
    TempDir dir;
    const std::vector<float> values = plane(3, 2, 1, 1, 1, 1);
    testing::write_working_grid(dir.file("grid"), 3, values);
    const auto grid_bytes = testing::read_file(dir.file("grid"));

    Slopes bil(3, 2, 1, 1);
    bil.ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BIL;
    EXPECT_EQ(bil.write(dir).status, GRIDLIB_REFUSED);
    for (const float spacing : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(Slopes(3, 2, spacing, 1).write(dir).status, GRIDLIB_REFUSED) << spacing;
        EXPECT_EQ(Slopes(3, 2, 1, spacing).write(dir).status, GRIDLIB_REFUSED) << spacing;
    }
    Slopes endless(3, 2, 1, 1);
    endless.exaggeration = std::numeric_limits<float>::infinity();
    EXPECT_EQ(endless.write(dir).status, GRIDLIB_REFUSED);
    EXPECT_EQ(Slopes(0, 2, 1, 1).write(dir).status, GRIDLIB_REFUSED);
    // The working grid itself, under another spelling, is not overwritten.
    EXPECT_EQ(Slopes(3, 2, 1, 1).write(dir, "./grid").status, GRIDLIB_REFUSED);
    // A grid longer than the file holds: found before anything is allocated or written.
    EXPECT_EQ(Slopes(3, 3, 1, 1).write(dir).status, GRIDLIB_GRADIENT_GRID_UNREADABLE);
    EXPECT_EQ(Slopes(1 << 30, 1 << 30, 1, 1).write(dir).status, GRIDLIB_GRADIENT_GRID_UNREADABLE);
    EXPECT_EQ(testing::entries(dir.path()), std::vector<std::string>{"grid"});
    EXPECT_EQ(testing::read_file(dir.file("grid")), grid_bytes);

    EXPECT_EQ(Slopes(3, 2, 1, 1).write(dir, "no such dir/gradient").status, GRIDLIB_GRADIENT_WRITE_FAILED);
    std::filesystem::remove(dir.file("grid"));
    EXPECT_EQ(Slopes(3, 2, 1, 1).write(dir).status, GRIDLIB_GRADIENT_GRID_UNREADABLE);

    std::int32_t status = 99;
    const std::int32_t length = 4;
    Slopes any(3, 2, 1, 1);
    GRDGRAD("grid", &length, "grad", &length, any.ihead.data(), any.rhead.data(), &any.exaggeration, nullptr,
            &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);  // no slope table
}

TEST(SlopeCoder, FindsTheNearestStepAsASearchOfTheBoundsWould) {
    // The bucketed look-up against a plain search, at and around every bound
    // between steps and at random tangents of every size.
    const SlopeCoder coder;
    const auto searched = [&](double tangent) {
        std::size_t step = 0;
        while (step < 63 && coder.bound(step) < tangent) ++step;
        return static_cast<std::int16_t>(4 * step + 2);
    };
    std::vector<double> tangents = {0.0, -0.0, 1e-300, -1e300, 1e300, std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::max()};
    for (std::size_t i = 1; i < 63; ++i) {
        const double b = coder.bound(i);
        for (const double t : {b, std::nextafter(b, -1e308), std::nextafter(b, 1e308), b * 0.999, b * 1.001})
            tangents.push_back(t);
    }
    std::mt19937_64 random(14);
    std::uniform_real_distribution<double> exponent(-6, 6);
    for (int k = 0; k < 100000; ++k) tangents.push_back((k % 2 ? 1 : -1) * std::pow(10.0, exponent(random)));
    for (const double t : tangents) ASSERT_EQ(coder.code(t), searched(t)) << t;
    // The table climbs from falls near -90 degrees to near +90, short of
    // both, through 0 for level ground; step 0 repeats step 1.
    const auto& sines = coder.sines();
    EXPECT_TRUE(std::is_sorted(sines.begin(), sines.end()));
    EXPECT_EQ(sines[32], 0.0f);
    EXPECT_EQ(sines[0], sines[1]);
    EXPECT_GT(sines[0], -1.0f);
    EXPECT_LT(sines[63], 1.0f);
    EXPECT_EQ(sines[63], -sines[1]);
    // Each step's own angle codes to that step.
    for (std::size_t i = 1; i < 64; ++i)
        EXPECT_EQ(coder.code(std::tan(std::asin(static_cast<double>(coder.sines()[i])))), 4 * i + 2) << i;
}

}  // namespace
}  // namespace gridlib
