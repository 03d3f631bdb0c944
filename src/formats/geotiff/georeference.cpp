// GeoTIFF placement tags into a grid placement.
#include "formats/geotiff/georeference.h"

#include "formats/geotiff/geotiff_library.h"
#include "gridlib.h"

#include <geotiff.h>
#include <geovalues.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <optional>
#include <span>

namespace gridlib::formats::geotiff {
namespace {

std::span<const double> doubles(TIFF* tif, std::uint32_t tag) {
    std::uint16_t count = 0;
    const double* values = nullptr;
    if (TIFFGetField(tif, tag, &count, &values) != 1 || !values) return {};
    return {values, count};
}

void ignore_geokey_error(GTIF*, int, const char*, ...) {}

// A key of one SHORT value, or `absent` where the file has none. Without
// libgeotiff every key is absent: the tie point is then taken as the corner,
// PixelIsArea being what nearly every file says, and the model as projected.
unsigned short short_key(TIFF* tif, geokey_t key, unsigned short absent) {
    const GeotiffLibrary* geotiff = geotiff_library();
    if (!geotiff) return absent;
    GTIF* keys = geotiff->GTIFNewEx(tif, ignore_geokey_error, nullptr);
    if (!keys) return absent;
    unsigned short value = absent;
    if (geotiff->GTIFKeyGetSHORT(keys, key, &value, 0, 1) != 1) value = absent;
    geotiff->GTIFFree(keys);
    return value;
}

// GDAL's six numbers, or nothing when the tags place nothing.
std::optional<std::array<double, 6>> geotransform(TIFF* tif) {
    const auto scale = doubles(tif, TIFFTAG_GEOPIXELSCALE);
    const auto tie = doubles(tif, TIFFTAG_GEOTIEPOINTS);
    const auto matrix = doubles(tif, TIFFTAG_GEOTRANSMATRIX);
    if (scale.size() >= 2 && scale[0] != 0.0 && scale[1] != 0.0) {
        if (tie.size() < 6) return std::nullopt;
        // GDAL reads a negative y scale as a positive one, as most writers mean it.
        const double column = scale[0], row = -std::fabs(scale[1]);
        return std::array{tie[3] - tie[0] * column, column, 0.0, tie[4] - tie[1] * row, 0.0, row};
    }
    if (matrix.size() == 16) return std::array{matrix[3], matrix[0], matrix[1], matrix[7], matrix[4], matrix[5]};
    return std::nullopt;
}

}  // namespace

std::int32_t read_georeference(TIFF* tif, std::uint32_t columns, std::uint32_t rows, Georeference& out) {
    auto t = geotransform(tif);
    // A transformation of zeros alone (a tag some writers fill and leave)
    // places nothing: such a file lies in its pixel coordinates, as a file
    // without the tags does, rather than being refused for cells of no size.
    if (t && std::ranges::all_of(*t, [](double v) { return v == 0.0; })) t.reset();
    if (!t) {
        out = Georeference{{0.0, static_cast<double>(rows), 1.0, 1.0}};
        return GRIDLIB_OK;
    }
    auto& g = *t;
    if (!std::ranges::all_of(g, [](double v) { return std::isfinite(v); })) return GRIDLIB_TIFF_NOT_FINITE;
    if (g[2] != 0.0 || g[4] != 0.0) return GRIDLIB_TIFF_ROTATED;
    if (short_key(tif, GTRasterTypeGeoKey, RasterPixelIsArea) == RasterPixelIsPoint) {
        g[0] -= g[1] * 0.5;
        g[3] -= g[5] * 0.5;
    }
    out = Georeference{};
    out.columns_from_east = g[1] < 0;
    out.rows_from_south = g[5] > 0;
    GridPlacement& p = out.placement;
    p.column_width = std::fabs(g[1]);
    p.row_height = std::fabs(g[5]);
    p.west = out.columns_from_east ? g[0] + g[1] * columns : g[0];
    p.north = out.rows_from_south ? g[3] + g[5] * rows : g[3];
    // The grid's descriptor holds its corners and cell size as 32-bit reals.
    const double corners[] = {p.west, p.north, p.west + p.column_width * columns, p.north - p.row_height * rows};
    if (!std::ranges::all_of(corners, [](double v) { return std::fabs(v) <= FLT_MAX; })) return GRIDLIB_TIFF_NOT_FINITE;
    // The outer cells' centres must differ as 32-bit reals too, or the grid
    // would seem a single column or row.
    const auto apart = [](double first, double last, std::uint32_t count) {
        return count == 1 || static_cast<float>(first) != static_cast<float>(last);
    };
    if (static_cast<float>(p.column_width) == 0.0f || static_cast<float>(p.row_height) == 0.0f ||
        !apart(p.west + p.column_width / 2, p.west + (columns - 0.5) * p.column_width, columns) ||
        !apart(p.north - p.row_height / 2, p.north - (rows - 0.5) * p.row_height, rows))
        return GRIDLIB_TIFF_ZERO_CELL;
    return GRIDLIB_OK;
}

bool is_geographic_model(TIFF* tif) { return short_key(tif, GTModelTypeGeoKey, 0) == ModelTypeGeographic; }

}  // namespace gridlib::formats::geotiff
