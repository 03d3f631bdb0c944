// The placement of the next GeoTIFF, per thread.
#include "image/geotiff_placement.h"

#include "image/world_file.h"

#include <utility>

namespace gridlib {
namespace {

struct NextPlacement {
    std::string image_path;
    GeoTiffPlacement placement;
};

thread_local std::optional<NextPlacement> next_placement;

}  // namespace

void place_next_geotiff(const std::string& image_path, const GeoTiffPlacement& placement) {
    next_placement = NextPlacement{image_path, placement};
}

void forget_geotiff_placement() { next_placement.reset(); }

std::optional<tiff::GeoTags> take_geo_tags(const std::string& image_path, std::int32_t columns, std::int32_t rows,
                                           const image::ImageScale& scale) {
    if (!next_placement || next_placement->image_path != image_path) return std::nullopt;
    const GeoTiffPlacement placement = std::exchange(next_placement, std::nullopt)->placement;
    // A working grid of another size is not the grid that was placed.
    if (placement.columns != columns || placement.rows != rows) return std::nullopt;
    const auto pixels = image_placement(placement.grid, columns, rows, scale);
    if (!pixels) return std::nullopt;
    return tiff::GeoTags{*pixels, placement.keys};
}

}  // namespace gridlib
