// The point lookup on grid files: which nodes each interpolation rule takes
// when some are null, where the block lies at the grid's edges, the extent,
// both storage orders, and files it cannot use. Expected values come from a
// polynomial or plane evaluated at the point: the nodes a rule should use lie
// on it, every other node that holds data lies far off it.
#include "grid/block_interpolation.h"
#include "grid/point_lookup.h"
#include "gridlib.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace gridlib::testing {
namespace {

struct Point {
    float x, y;
};

// A grid in the working grid's layout: nodes row by row from the south, each
// row from the west; node (X, Y) lies at west + X dx, south + Y dy.
struct TestGrid {
    std::int32_t columns, rows;
    std::vector<float> nodes;
    double west = -7.5, south = 30, dx = 2.5, dy = 4;

    TestGrid(std::int32_t c, std::int32_t r) : columns(c), rows(r), nodes(std::size_t(c) * std::size_t(r)) {}
    float& node(int X, int Y) { return nodes[std::size_t(Y) * std::size_t(columns) + std::size_t(X)]; }

    // Fills every node from f(X, Y).
    void fill(const std::function<double(double, double)>& f) {
        for (int Y = 0; Y < rows; ++Y)
            for (int X = 0; X < columns; ++X) node(X, Y) = static_cast<float>(f(X, Y));
    }

    // Writes the file, storage order -2 putting the northern row first, any
    // other the southern; returns the descriptor a header reader would give.
    GridDescriptor write(const std::string& path, std::int32_t order = -2) const {
        ByteWriter w;
        w.zeros(512);
        for (int k = 0; k < rows; ++k) {
            const int Y = order == -2 ? rows - 1 - k : k;
            for (int X = 0; X < columns; ++X) w.f32(nodes[std::size_t(Y) * std::size_t(columns) + std::size_t(X)]);
        }
        write_file(path, w.bytes());
        GridDescriptor g;
        auto d = g.view();
        d.set_format(FormatCode::binary_512);
        d.storage_order() = order;
        d.columns() = d.columns_read() = columns;
        d.rows() = d.rows_read() = rows;
        const float geometry[6] = {float(west), float(west + (columns - 1) * dx), float(south),
                                   float(south + (rows - 1) * dy), float(dx), float(dy)};
        for (int k = 0; k < 6; ++k) d.input_geometry(k) = geometry[k];
        return g;
    }

    Point at(double X, double Y) const { return {float(west + X * dx), float(south + Y * dy)}; }
    // Node coordinates of a point as it was actually passed, in float.
    double X_of(const Point& p) const { return (double(p.x) - west) / dx; }
    double Y_of(const Point& p) const { return (double(p.y) - south) / dy; }
};

std::vector<float> look_up(const std::string& path, GridDescriptor& g, const std::vector<Point>& points,
                           std::int32_t expected_status = GRIDLIB_OK) {
    std::vector<float> x, y, values(points.size(), 7.0f);
    for (const Point& p : points) x.push_back(p.x), y.push_back(p.y);
    EXPECT_EQ(look_up_points(path, g.view(), x, y, values), expected_status);
    return values;
}

float look_up(const std::string& path, GridDescriptor& g, Point p) { return look_up(path, g, std::vector{p})[0]; }

// --- the rules, on a grid that is one block --------------------------------

// Functions of the offsets from the centre node on which a rule's nodes lie:
// each rule reproduces its own shape exactly and no simpler rule does.
enum class Shape { linear_x, quadratic_x, linear_y, quadratic_y, bilinear, plane };

double shape_value(Shape s, double x, double y) {
    switch (s) {
        case Shape::linear_x: return 5 + 2 * x;
        case Shape::quadratic_x: return 5 + 2 * x - 3 * x * x;
        case Shape::linear_y: return 5 - 3 * y;
        case Shape::quadratic_y: return 5 - 3 * y + 2.5 * y * y;
        case Shape::bilinear: return 5 + 2 * x - 3 * y + 1.5 * x * y;
        case Shape::plane: return 5 + 2 * x - 3 * y;
    }
    return 0;
}

struct RuleCase {
    std::vector<Node> nulls;
    double fx, fy;           // the point, in cells from the centre node
    std::vector<Node> rule;  // the nodes the value must come from
    Shape shape;
};

void expect_rule(const RuleCase& c) {
    SCOPED_TRACE(::testing::Message() << "point (" << c.fx << ", " << c.fy << ")");
    TestGrid grid(3, 3);
    for (int n = 0; n < 9; ++n) {
        const Node node = static_cast<Node>(n);
        const double value = shape_value(c.shape, n % 3 - 1, n / 3 - 1);
        const bool in_rule = std::count(c.rule.begin(), c.rule.end(), node) > 0;
        const bool null = std::count(c.nulls.begin(), c.nulls.end(), node) > 0;
        ASSERT_FALSE(in_rule && null);
        grid.node(n % 3, n / 3) = null ? kNullValue : static_cast<float>(in_rule ? value : value + 1000);
    }
    TempDir dir;
    auto g = grid.write(dir.file("block.grd"));
    const Point p = grid.at(1 + c.fx, 1 + c.fy);
    EXPECT_NEAR(look_up(dir.file("block.grd"), g, p), shape_value(c.shape, grid.X_of(p) - 1, grid.Y_of(p) - 1), 1e-4);
}

TEST(PointLookupRules, TheCentreNodeWhenThePointIsOnIt) {
    TempDir dir;
    TestGrid grid(3, 3);
    grid.fill([](double X, double Y) { return 10 * X + 100 * Y; });  // centre node 110
    auto g = grid.write(dir.file("g.grd"));
    const Point near_centre = grid.at(1.005, 0.992);
    // All nodes: the biquadratic, which holds the plane exactly (10.05 + 99.2).
    EXPECT_NEAR(look_up(dir.file("g.grd"), g, near_centre), 109.25, 1e-4);
    grid.node(2, 2) = kNullValue;
    g = grid.write(dir.file("g.grd"));
    EXPECT_EQ(look_up(dir.file("g.grd"), g, near_centre), 110.0f);
    // Beyond 0.01 cells of the node: interpolated on the plane, not the node's value.
    EXPECT_NEAR(look_up(dir.file("g.grd"), g, grid.at(1.02, 1.0)), 110.2, 1e-4);
}

TEST(PointLookupRules, AlongTheCentreRowAndColumn) {
    const double on = 0.007, off = -0.006;  // within 0.01 cells of the line
    for (const RuleCase& c : std::vector<RuleCase>{
             {{NE}, 0.4, on, {MW, MC, ME}, Shape::quadratic_x},
             {{MW}, 0.15, on, {MC, ME}, Shape::linear_x},
             {{ME}, -0.4, on, {MW, MC}, Shape::linear_x},
             {{MC}, 0.4, on, {MW, ME}, Shape::linear_x},
             {{MC}, -1.3, on, {MW, ME}, Shape::linear_x},  // beyond the western node
             // No line fits: on to the rectangle beside the centre column.
             {{MW, ME}, 0.4, on, {SC, SE, NC, NE}, Shape::bilinear},
             {{SW}, off, 0.3, {SC, MC, NC}, Shape::quadratic_y},
             {{SC}, off, 0.3, {MC, NC}, Shape::linear_y},
             {{NC}, off, -0.3, {SC, MC}, Shape::linear_y},
             {{MC}, off, -0.3, {SC, NC}, Shape::linear_y},
         })
        expect_rule(c);
}

TEST(PointLookupRules, TheCellOrTallRectangleOnThePointsSide) {
    for (const RuleCase& c : std::vector<RuleCase>{
             {{SW}, 0.3, 0.6, {MC, ME, NC, NE}, Shape::bilinear},
             {{NW}, 0.3, -0.6, {SC, SE, MC, ME}, Shape::bilinear},
             {{ME}, 0.3, 0.6, {SC, SE, NC, NE}, Shape::bilinear},
             {{SE}, -0.3, 0.6, {MW, MC, NW, NC}, Shape::bilinear},
             {{NE}, -0.3, -0.6, {SW, SC, MW, MC}, Shape::bilinear},
             {{MW}, -0.3, -0.6, {SW, SC, NW, NC}, Shape::bilinear},
         })
        expect_rule(c);
}

TEST(PointLookupRules, TrianglesOnBothSidesOfEachDiagonalOfEachQuadrant) {
    for (const RuleCase& c : std::vector<RuleCase>{
             // north-east
             {{NE}, 0.3, 0.4, {MC, ME, NC}, Shape::plane},
             {{MC, SC}, 0.7, 0.6, {ME, NC, NE}, Shape::plane},
             {{ME, SE}, 0.2, 0.5, {MC, NC, NE}, Shape::plane},
             {{NC, SE}, 0.5, 0.2, {MC, ME, NE}, Shape::plane},
             {{NE}, 0.5, 0.5, {MC, ME, NC}, Shape::plane},  // on a diagonal: the first triangle
             {{ME, SE}, 0.25, 0.25, {MC, NC, NE}, Shape::plane},
             // south-east
             {{ME, NE}, 0.2, -0.5, {SC, SE, MC}, Shape::plane},
             {{SC}, 0.6, -0.3, {SE, MC, ME}, Shape::plane},
             {{SE}, 0.5, -0.2, {SC, MC, ME}, Shape::plane},
             {{MC, NC}, 0.7, -0.5, {SC, SE, ME}, Shape::plane},
             // north-west
             {{NC}, -0.5, 0.2, {MW, MC, NW}, Shape::plane},
             {{MW, SW}, -0.2, 0.5, {MC, NW, NC}, Shape::plane},
             {{MC, SC}, -0.4, 0.7, {MW, NW, NC}, Shape::plane},
             {{NW}, -0.2, 0.4, {MW, MC, NC}, Shape::plane},
             // south-west
             {{MC, NW}, -0.6, -0.7, {SW, SC, MW}, Shape::plane},
             {{SW}, -0.3, -0.4, {SC, MW, MC}, Shape::plane},
             {{SC}, -0.5, -0.2, {SW, MW, MC}, Shape::plane},
             {{MW, NC}, -0.2, -0.5, {SW, SC, MC}, Shape::plane},
         })
        expect_rule(c);
}

TEST(PointLookupRules, WideRectanglesThenAnyCellEvenBeyondIt) {
    for (const RuleCase& c : std::vector<RuleCase>{
             // No triangle of the quadrant holds data on the point's side.
             {{MC, SC}, 0.3, 0.4, {MW, ME, NW, NE}, Shape::bilinear},
             {{MC, NC}, 0.3, -0.4, {SW, SE, MW, ME}, Shape::bilinear},
             {{MC, ME, SC}, 0.3, 0.4, {SW, SE, NW, NE}, Shape::bilinear},
             // The last resort extrapolates from the first cell that holds data.
             {{SW, MW, NW}, -0.4, -0.3, {MC, ME, NC, NE}, Shape::bilinear},
             {{SW, MW, MC, ME, NW}, -0.3, 0.4, {SC, SE, NC, NE}, Shape::bilinear},
             {{SE, MW, MC, ME, NE}, 0.3, 0.4, {SW, SC, NW, NC}, Shape::bilinear},
         })
        expect_rule(c);
}

TEST(PointLookupRules, NullWhenNoRuleFindsItsNodes) {
    TempDir dir;
    TestGrid grid(3, 3);
    std::fill(grid.nodes.begin(), grid.nodes.end(), kNullValue);
    grid.node(0, 0) = 4.0f;  // SW and NE share no cell
    grid.node(2, 2) = 6.0f;
    auto g = grid.write(dir.file("g.grd"));
    EXPECT_EQ(look_up(dir.file("g.grd"), g, grid.at(1.5, 1.5)), kNullValue);
}

// --- where the block lies -----------------------------------------------

// A product of quadratics, which a block reproduces exactly wherever it lies.
double quadratic_surface(double X, double Y) {
    return (1 + 0.5 * X - 0.125 * X * X) * (2 - 0.25 * Y + 0.1 * Y * Y) + 0.3 * X * Y;
}

TEST(PointLookupGrid, BlocksMoveInwardAtEdgesAndCornersInEitherStorageOrder) {
    struct Case {
        double X, Y;
        int first_column, first_row;  // of the block the value must come from
    };
    // 6 columns x 5 rows; nodes -0.5 and 5.5 / 4.5 are half a cell outside.
    const std::vector<Case> cases{
        {2.3, 1.6, 1, 1},  {1.2, 2.2, 0, 1},  {0.4, 2.2, 0, 1},  {-0.5, 2.2, 0, 1}, {5.5, 1.6, 3, 1},
        {4.4, 1.6, 3, 1},  {2.7, -0.5, 2, 0}, {1.2, 4.5, 0, 2},  {-0.5, -0.5, 0, 0}, {5.5, -0.5, 3, 0},
        {-0.5, 4.5, 0, 2}, {5.5, 4.5, 3, 2},  {4.6, 3.7, 3, 2},  {3.5, 2.5, 3, 2},  {3.49, 2.49, 2, 1},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "point (" << c.X << ", " << c.Y << ")");
        TestGrid grid(6, 5);
        grid.fill([&](double X, double Y) {
            const bool in_block = X >= c.first_column && X < c.first_column + 3 && Y >= c.first_row &&
                                  Y < c.first_row + 3;
            return quadratic_surface(X, Y) + (in_block ? 0 : 1000);
        });
        const Point p = grid.at(c.X, c.Y);
        const double expected = quadratic_surface(grid.X_of(p), grid.Y_of(p));
        for (std::int32_t order : {1, -2}) {
            auto g = grid.write(dir.file("g.grd"), order);
            EXPECT_NEAR(look_up(dir.file("g.grd"), g, p), expected, 1e-4) << "storage order " << order;
        }
    }
}

TEST(PointLookupGrid, HalfACellBeyondEachEdgeIsInsideAndNoFurther) {
    TempDir dir;
    TestGrid grid(5, 4);
    grid.fill(quadratic_surface);
    auto g = grid.write(dir.file("g.grd"));
    const auto d = g.view();
    const float west = d.input_geometry(0) - 1.25f, east = d.input_geometry(1) + 1.25f;  // dx / 2
    const float south = d.input_geometry(2) - 2.0f, north = d.input_geometry(3) + 2.0f;  // dy / 2
    const float mid_x = grid.at(2.2, 0).x, mid_y = grid.at(0, 1.7).y;
    const std::vector<Point> edges{{west, mid_y}, {east, mid_y}, {mid_x, south}, {mid_x, north}};
    const std::vector<Point> beyond{{std::nextafter(west, -1e9f), mid_y},
                                    {std::nextafter(east, 1e9f), mid_y},
                                    {mid_x, std::nextafter(south, -1e9f)},
                                    {mid_x, std::nextafter(north, 1e9f)}};
    const auto inside = look_up(dir.file("g.grd"), g, edges);
    for (std::size_t k = 0; k < edges.size(); ++k)
        EXPECT_NEAR(inside[k], quadratic_surface(grid.X_of(edges[k]), grid.Y_of(edges[k])), 1e-4) << k;
    for (float v : look_up(dir.file("g.grd"), g, beyond)) EXPECT_EQ(v, kNullValue);
}

TEST(PointLookupGrid, GridsWithFewerThanThreeColumnsOrRowsGiveNull) {
    TempDir dir;
    for (auto [columns, rows] : {std::pair{2, 6}, {6, 2}, {1, 1}}) {
        TestGrid grid(columns, rows);
        grid.fill([](double X, double Y) { return X + Y; });
        for (std::int32_t order : {1, -2}) {
            auto g = grid.write(dir.file("g.grd"), order);
            // Every node, which a wrap into the neighbouring row could still reach.
            std::vector<Point> nodes;
            for (int Y = 0; Y < rows; ++Y)
                for (int X = 0; X < columns; ++X) nodes.push_back(grid.at(X + 0.1, Y + 0.1));
            for (float v : look_up(dir.file("g.grd"), g, nodes)) EXPECT_EQ(v, kNullValue);
        }
    }
}

// --- block reuse ---------------------------------------------------------

TEST(PointLookupGrid, ValuesDoNotDependOnThePointOrder) {
    TempDir dir;
    TestGrid grid(9, 7);
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    grid.fill([&](double, double) { return unit(random) < 0.2 ? -1.0e32 : 100 * unit(random); });
    auto g = grid.write(dir.file("g.grd"));
    // Runs of points within one block, and scattered ones.
    std::vector<Point> points;
    for (int k = 0; k < 400; ++k) {
        const double X = -0.5 + 9 * unit(random), Y = -0.5 + 7 * unit(random);
        points.push_back(grid.at(X, Y));
        if (k % 3 == 0) points.push_back(grid.at(X + 0.05, Y - 0.05));
    }
    const auto in_order = look_up(dir.file("g.grd"), g, points);
    std::vector<std::size_t> shuffled(points.size());
    std::iota(shuffled.begin(), shuffled.end(), 0);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<Point> shuffled_points;
    for (std::size_t k : shuffled) shuffled_points.push_back(points[k]);
    const auto out_of_order = look_up(dir.file("g.grd"), g, shuffled_points);
    for (std::size_t k = 0; k < shuffled.size(); ++k) {
        EXPECT_EQ(out_of_order[k], in_order[shuffled[k]]) << k;
        EXPECT_EQ(look_up(dir.file("g.grd"), g, points[shuffled[k]]), in_order[shuffled[k]]) << k;
    }
    EXPECT_GT(std::count_if(in_order.begin(), in_order.end(), [](float v) { return v != kNullValue; }), 300);
}

TEST(PointLookupGrid, AGridLargerThanTheCacheInRandomOrder) {
    // 1.4 MB of rows 2800 bytes long, so that blocks straddle cached pages
    // and pages are evicted and read again.
    TempDir dir;
    TestGrid grid(700, 500);
    const auto plane = [](double X, double Y) { return 3 + 0.5 * X - 0.25 * Y; };
    grid.fill(plane);
    auto g = grid.write(dir.file("g.grd"));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> X(-0.5, 699.5), Y(-0.5, 499.5);
    std::vector<Point> points;
    for (int k = 0; k < 20000; ++k) points.push_back(grid.at(X(random), Y(random)));
    const auto values = look_up(dir.file("g.grd"), g, points);
    for (std::size_t k = 0; k < points.size(); ++k)
        ASSERT_NEAR(values[k], plane(grid.X_of(points[k]), grid.Y_of(points[k])), 1e-3) << k;
}

TEST(PointLookupGrid, EachCallReadsTheFileAfresh) {
    TempDir dir;
    TestGrid grid(4, 4);
    grid.fill(quadratic_surface);
    auto g = grid.write(dir.file("g.grd"));
    const Point p = grid.at(1.3, 2.1);
    const float before = look_up(dir.file("g.grd"), g, p);
    for (float& v : grid.nodes) v += 10;
    grid.write(dir.file("g.grd"));
    EXPECT_NEAR(look_up(dir.file("g.grd"), g, p), before + 10, 1e-4);
}

// --- files it cannot use ---------------------------------------------------

TEST(PointLookupFiles, AShortFileLeavesNullOnlyThePointsWhoseBlockIsMissing) {
    TempDir dir;
    TestGrid grid(5, 6);
    grid.fill(quadratic_surface);
    auto g = grid.write(dir.file("g.grd"), 1);  // the southern row first
    auto bytes = read_file(dir.file("g.grd"));
    bytes.resize(512 + (3 * 5 + 2) * 4);  // rows 0 to 2, and two values of row 3
    write_file(dir.file("g.grd"), bytes);
    const Point south = grid.at(2.2, 1.3), north = grid.at(2.2, 2.6), west = grid.at(0.3, 2.0);
    const auto values = look_up(dir.file("g.grd"), g, {south, north, south, west});
    EXPECT_NEAR(values[0], quadratic_surface(grid.X_of(south), grid.Y_of(south)), 1e-4);
    EXPECT_EQ(values[1], kNullValue);  // its block reaches row 3 beyond column 1
    EXPECT_EQ(values[2], values[0]);
    EXPECT_EQ(values[3], kNullValue);  // rows 1 to 3: row 3 holds only two of its columns
}

TEST(PointLookupFiles, RefusedFilesAndFormatsLeaveEveryValueNull) {
    TempDir dir;
    TestGrid grid(3, 3);
    grid.fill(quadratic_surface);
    auto g = grid.write(dir.file("g.grd"));
    const std::vector<Point> points{grid.at(1, 1), grid.at(0.5, 1.5)};
    for (const std::string& path : {dir.file("missing.grd"), dir.path()}) {
        for (float v : look_up(path, g, points, GRIDLIB_REFUSED)) EXPECT_EQ(v, kNullValue) << path;
    }
    for (FormatCode image : {FormatCode::pcidsk, FormatCode::bil, FormatCode::bip}) {
        g.view().set_format(image);
        for (float v : look_up(dir.file("g.grd"), g, points, GRIDLIB_REFUSED)) EXPECT_EQ(v, kNullValue);
    }
}

}  // namespace
}  // namespace gridlib::testing
