// Interpolation within a block of nodes of which some are null. The rules are
// tried in a fixed order, from the most local and exact to the widest; the
// first whose nodes all hold data gives the value. Lines, cells, rectangles
// and triangles always interpolate exactly through their nodes at the nodes'
// offsets, so a point outside a figure gets that figure's extrapolation.
#include "grid/block_interpolation.h"

#include "descriptor/grid_descriptor.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>

namespace gridlib {
namespace {

// A point this close to the centre row or column, in cells, counts as on it.
constexpr double kOnLine = 0.01;

int column_of(Node n) { return n % 3 - 1; }
int row_of(Node n) { return n / 3 - 1; }
Node node_at(int column, int row) { return static_cast<Node>(3 * (row + 1) + column + 1); }

// The centre row or the centre column: its nodes from the negative side to
// the positive one, and which offset of a node lies along it.
struct CentreLine {
    Node before, centre, after;
    int (*position)(Node);
};
constexpr CentreLine kCentreRow{MW, MC, ME, column_of};
constexpr CentreLine kCentreColumn{SC, MC, NC, row_of};

// The cells and two-cell rectangles beside the centre, by two opposite
// corners, in the order the last resort tries them.
constexpr std::pair<Node, Node> kLastResort[] = {{MC, NE}, {SC, ME}, {SC, NE}, {MW, NC}, {SW, MC}, {SW, NC}};

// A triangle of the point's quadrant and whether the point counts as inside it.
struct Triangle {
    bool inside;
    Node a, b, c;
};

class Fallback {
public:
    Fallback(const NodeBlock& block, double fx, double fy) : block_(block), fx_(fx), fy_(fy) {}

    std::optional<double> value() const {
        if (block_.holds(MC) && std::abs(fx_) <= kOnLine && std::abs(fy_) <= kOnLine) return at(MC);
        if (std::abs(fy_) <= kOnLine)
            if (auto v = on_line(kCentreRow, fx_)) return v;
        if (std::abs(fx_) <= kOnLine)
            if (auto v = on_line(kCentreColumn, fy_)) return v;
        if (auto v = cells_on_the_points_side()) return v;
        for (const Triangle& t : triangles_of_the_points_quadrant())
            if (t.inside)
                if (auto v = plane(t.a, t.b, t.c)) return v;
        if (auto v = wide_rectangles()) return v;
        // Last resort: any cell or two-cell rectangle beside the centre, even
        // one the point lies outside of.
        for (const auto& [lower_left, upper_right] : kLastResort)
            if (auto v = rectangle(lower_left, upper_right)) return v;
        return std::nullopt;
    }

private:
    double at(Node n) const { return block_.values[static_cast<std::size_t>(n)]; }
    bool hold(std::initializer_list<Node> nodes) const {
        for (Node n : nodes)
            if (!block_.holds(n)) return false;
        return true;
    }

    // Along the centre row or column: quadratic through its three nodes, or
    // else linear through the two on the point's side, or through the two ends.
    std::optional<double> on_line(const CentreLine& line, double t) const {
        if (hold({line.before, line.centre, line.after})) {
            const QuadraticWeights w = quadratic_weights(t);
            return w[0] * at(line.before) + w[1] * at(line.centre) + w[2] * at(line.after);
        }
        if (t >= 0 && hold({line.centre, line.after})) return linear(line.centre, line.after, t, line.position);
        if (t < 0 && hold({line.before, line.centre})) return linear(line.before, line.centre, t, line.position);
        if (hold({line.before, line.after})) return linear(line.before, line.after, t, line.position);
        return std::nullopt;
    }

    double linear(Node a, Node b, double t, int (*position)(Node)) const {
        const int pa = position(a), pb = position(b);
        return at(a) + (t - pa) / (pb - pa) * (at(b) - at(a));
    }

    // Bilinear over the rectangle between two opposite corner nodes.
    std::optional<double> rectangle(Node lower_left, Node upper_right) const {
        const int x0 = column_of(lower_left), x1 = column_of(upper_right);
        const int y0 = row_of(lower_left), y1 = row_of(upper_right);
        const Node lower_right = node_at(x1, y0), upper_left = node_at(x0, y1);
        if (!hold({lower_left, lower_right, upper_left, upper_right})) return std::nullopt;
        const double tx = (fx_ - x0) / (x1 - x0), ty = (fy_ - y0) / (y1 - y0);
        return (1 - ty) * ((1 - tx) * at(lower_left) + tx * at(lower_right)) +
               ty * ((1 - tx) * at(upper_left) + tx * at(upper_right));
    }

    // The plane through three nodes, from its gradient along two edges. The
    // triangles used are never degenerate.
    std::optional<double> plane(Node a, Node b, Node c) const {
        if (!hold({a, b, c})) return std::nullopt;
        const double x1 = column_of(b) - column_of(a), y1 = row_of(b) - row_of(a), v1 = at(b) - at(a);
        const double x2 = column_of(c) - column_of(a), y2 = row_of(c) - row_of(a), v2 = at(c) - at(a);
        const double det = x1 * y2 - x2 * y1;
        const double gx = (v1 * y2 - v2 * y1) / det, gy = (x1 * v2 - x2 * v1) / det;
        return at(a) + gx * (fx_ - column_of(a)) + gy * (fy_ - row_of(a));
    }

    // The cell beside the centre on the point's side of both centre lines,
    // else the two-cell-high rectangle on the point's side of the centre column.
    std::optional<double> cells_on_the_points_side() const {
        const bool east = fx_ >= 0;
        if (fy_ >= 0)
            if (auto v = east ? rectangle(MC, NE) : rectangle(MW, NC)) return v;
        if (fy_ < 0)
            if (auto v = east ? rectangle(SC, ME) : rectangle(SW, MC)) return v;
        return east ? rectangle(SC, NE) : rectangle(SW, NC);
    }

    // The quadrant's cell split by its diagonal through the centre node, then
    // by its other diagonal; a triangle is taken only on its side of the split.
    std::array<Triangle, 4> triangles_of_the_points_quadrant() const {
        const double x = fx_, y = fy_;
        if (x >= 0 && y >= 0)
            return {{{x + y <= 1, MC, ME, NC}, {x + y > 1, ME, NC, NE},  //
                     {x <= y, MC, NC, NE}, {x > y, MC, ME, NE}}};
        if (x >= 0)
            return {{{x + y <= 0, SC, SE, MC}, {x + y > 0, SE, MC, ME},  //
                     {x - y <= 1, SC, MC, ME}, {x - y > 1, SC, SE, ME}}};
        if (y >= 0)
            return {{{x + y <= 0, MW, MC, NW}, {x + y > 0, MC, NW, NC},  //
                     {y - x >= 1, MW, NW, NC}, {y - x < 1, MW, MC, NC}}};
        return {{{x + y <= -1, SW, SC, MW}, {x + y > -1, SC, MW, MC},  //
                 {y >= x, SW, MW, MC}, {x > y, SW, SC, MC}}};
    }

    // Rectangles two cells wide: on the point's side of the centre row, then
    // the whole block.
    std::optional<double> wide_rectangles() const {
        if (fy_ >= 0)
            if (auto v = rectangle(MW, NE)) return v;
        if (fy_ < 0)
            if (auto v = rectangle(SW, ME)) return v;
        return rectangle(SW, NE);
    }

    const NodeBlock& block_;
    double fx_, fy_;
};

}  // namespace

NodeBlock::NodeBlock(const NodeValues& v) : values(v) {
    for (std::size_t n = 0; n < v.size(); ++n)
        if (is_valid(v[n])) valid |= 1u << n;
}

float interpolate_in_block(const NodeBlock& block, double fx, double fy) {
    if (block.complete()) return biquadratic(block.values, quadratic_weights(fx), quadratic_weights(fy));
    if (block.valid == 0) return kNullValue;
    const std::optional<double> v = Fallback(block, fx, fy).value();
    return v ? DescriptorView::to_float(*v) : kNullValue;
}

}  // namespace gridlib
