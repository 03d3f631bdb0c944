// Where a grid lies, in double precision: the descriptor holds coordinates
// as 32-bit reals, about a metre apart at projected coordinates of 1e7,
// which places an image up to a cell off when its cells are small. Each
// driver that can gives the placement from its header's own fields (text
// read as doubles, binary doubles kept); the others' 32-bit reals are exact
// as they stand.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "gridlib.h"
#include "platform/file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::formats {

// The point of each cell that the descriptor's coordinates name (west x,
// south y and the x and y of every column and row): its centre, which a
// format of grid nodes states, or one of its corners. Map software places a
// grid by its cells' extent, so an image's position depends on it.
enum class CellPoint : std::uint8_t { centre, lower_left_corner, upper_left_corner };

// The outer corner of the grid's north-western cell and the size of a cell.
// y falls by row_height from one row to the next, southward.
struct GridPlacement {
    double west = 0;
    double north = 0;
    double column_width = 0;
    double row_height = 0;

    // GDAL's six numbers of an affine geotransform: west, column width, 0,
    // north, 0, minus the row height.
    std::array<double, 6> geotransform() const { return {west, column_width, 0.0, north, 0.0, -row_height}; }
};

// The placement of the grid whose header d holds (as read_grid_header left
// it from grid_name): from the driver's own fields where it has them,
// otherwise from the descriptor's coordinates, taken as naming the point of
// each cell that its format states. Nothing when the format code has no
// format, the grid has no cells, or a size is zero or a number not finite.
std::optional<GridPlacement> grid_placement(const std::string& grid_name, const DescriptorView& d);

// The placement the descriptor's own coordinates give (see above).
std::optional<GridPlacement> descriptor_placement(const DescriptorView& d);

// The placement of a grid of `rows` rows whose west x and south y name
// `point` of its south-western cell, as the drivers' own fields give them.
GridPlacement placement_from_point(CellPoint point, double west_x, double south_y, double column_width,
                                   double row_height, std::int32_t rows);

// Reads the header of the grid d describes again, by the reader that fills
// a descriptor and leaves what it read of the header in h (the numbers as
// written, the bytes of its fields), for what the descriptor holds in less
// precision; false when the file cannot be read or no longer describes
// that grid.
template <typename Header>
bool read_again(const std::string& grid_name, const DescriptorView& d,
                std::int32_t (*read)(platform::File&, DescriptorView&, Header&), Header& h) {
    auto file = platform::File::open_read(grid_name);
    if (!file) return false;
    GridDescriptor scratch;
    DescriptorView again = scratch.view();
    return read(*file, again, h) == GRIDLIB_OK && again.columns() == d.columns() && again.rows() == d.rows();
}

}  // namespace gridlib::formats
