// Where a GeoTIFF's cells lie, read from its tags as GDAL reads them by
// default, so that a grid lies where GDAL and the map software built on it
// put it.
#pragma once

#include "formats/grid_placement.h"

#include <cstdint>

struct tiff;

namespace gridlib::formats::geotiff {

struct Georeference {
    GridPlacement placement;
    // The file's first row is the southern one, or its first column the
    // eastern one (a transformation with those signs).
    bool rows_from_south = false;
    bool columns_from_east = false;
};

// From ModelPixelScale with a ModelTiepoint, or else ModelTransformation; a
// PixelIsPoint raster's tie point names a cell's centre, so it moves half a
// cell to the cell's corner. A file with neither, or with a transformation
// of zeros alone, lies in its pixel coordinates: one unit a cell, the
// south-western corner at 0, 0. 0, or GRIDLIB_TIFF_ROTATED for a
// transformation that rotates or shears, GRIDLIB_TIFF_NOT_FINITE for one
// whose numbers or corners are not finite or beyond the 32-bit reals, and
// GRIDLIB_TIFF_ZERO_CELL for cells 0 wide or high as 32-bit reals, or so
// small that the outer cells' centres are one 32-bit real.
std::int32_t read_georeference(tiff* tif, std::uint32_t columns, std::uint32_t rows, Georeference& out);

// True when the GeoTIFF keys say the model is geographic: coordinates are
// longitude and latitude.
bool is_geographic_model(tiff* tif);

}  // namespace gridlib::formats::geotiff
