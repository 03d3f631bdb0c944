// Point lookup: the extent test, the block around the nearest node, reading
// the block (once for a run of points that share it), and interpolation.
#include "grid/point_lookup.h"

#include "grid/block_interpolation.h"
#include "grid/page_cache.h"
#include "grid/working_grid.h"
#include "platform/file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

namespace gridlib {
namespace {

// Where the grid lies, from the geometry the header reader recorded: the
// window reader leaves those words alone, so they describe the file that
// header was read from.
struct Geometry {
    std::int64_t columns, rows;
    double west, east, south, north, dx, dy;
    bool north_first;

    explicit Geometry(const DescriptorView& d)
        : columns(d.columns_read()), rows(d.rows_read()), west(d.input_geometry(0)), east(d.input_geometry(1)),
          south(d.input_geometry(2)), north(d.input_geometry(3)), dx(d.input_geometry(4)),
          dy(d.input_geometry(5)), north_first(d.storage_order() == working_grid::kNorthFirst) {}

    // Up to half a cell beyond the outer nodes counts as inside.
    bool covers(double x, double y) const {
        return west - dx / 2 <= x && x <= east + dx / 2 && south - dy / 2 <= y && y <= north + dy / 2;
    }
};

// The block's first node along one axis, and the point's offset in cells
// from the block's centre node (within -1.5..+1.5).
struct AxisPlace {
    std::int64_t first;
    double offset;
};

// The block is centred on the nearest node, but moved inward at the grid's
// edges so that it stays within the grid; count is at least 3.
std::optional<AxisPlace> place_on_axis(double p, double origin, double spacing, std::int64_t count) {
    const double q = (p - origin) / spacing;
    if (!std::isfinite(q)) return std::nullopt;
    const double nearest = std::clamp(std::round(q), 0.0, double(count - 1));
    const double offset = (p - (nearest * spacing + origin)) / spacing;
    if (!std::isfinite(offset)) return std::nullopt;
    const auto node = static_cast<std::int64_t>(nearest);
    if (node == count - 1) return AxisPlace{node - 2, offset + 1};
    if (node == 0) return AxisPlace{0, offset - 1};
    return AxisPlace{node - 1, offset};
}

class BlockReader {
public:
    BlockReader(platform::File& file, std::uint64_t size, const Geometry& g) : cache_(file, size), g_(g) {}

    // The block whose south-western node is at (column, row); nothing when a
    // block row lies beyond the end of the file or cannot be read.
    std::optional<NodeBlock> read(std::int64_t column, std::int64_t row) {
        static_assert(std::endian::native == std::endian::little, "little-endian host expected");
        NodeValues v;
        for (std::int64_t j = 0; j < 3; ++j) {
            const std::int64_t logical = row + j;
            const std::int64_t stored = g_.north_first ? g_.rows - 1 - logical : logical;
            const std::uint64_t offset =
                working_grid::row_offset(stored + 1, g_.columns) + static_cast<std::uint64_t>(column) * 4u;
            if (!cache_.read(offset, std::as_writable_bytes(std::span(v).subspan(3 * std::size_t(j), 3))))
                return std::nullopt;
        }
        return NodeBlock(v);
    }

private:
    PageCache cache_;
    const Geometry& g_;
};

}  // namespace

std::int32_t look_up_points(const std::string& path, const DescriptorView& d, std::span<const float> x,
                            std::span<const float> y, std::span<float> values) {
    std::fill(values.begin(), values.end(), kNullValue);
    if (is_byte_image(d.format())) return GRIDLIB_REFUSED;
    auto file = platform::File::open_read(path);
    if (!file) return GRIDLIB_REFUSED;
    const std::optional<std::uint64_t> size = file->size();
    if (!size) return GRIDLIB_REFUSED;

    const Geometry g(d);
    // No block of 3 x 3 nodes fits in a narrower grid.
    if (g.columns < 3 || g.rows < 3) return GRIDLIB_OK;

    BlockReader reader(*file, *size, g);
    std::optional<NodeBlock> block;
    std::int64_t block_column = -1, block_row = -1;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!g.covers(x[i], y[i])) continue;
        const auto along_x = place_on_axis(x[i], g.west, g.dx, g.columns);
        const auto along_y = place_on_axis(y[i], g.south, g.dy, g.rows);
        if (!along_x || !along_y) continue;
        // Points in the same block as the one before use it as it is.
        if (!block || along_x->first != block_column || along_y->first != block_row) {
            block = reader.read(along_x->first, along_y->first);
            if (!block) continue;
            block_column = along_x->first;
            block_row = along_y->first;
        }
        values[i] = interpolate_in_block(*block, along_x->offset, along_y->offset);
    }
    return GRIDLIB_OK;
}

}  // namespace gridlib
