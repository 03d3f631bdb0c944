// Where the next GeoTIFF image written under a name lies: the caller that
// knows the grid file tells it before the image routine draws the working
// grid, which knows only the working grid. Kept for the calling thread, one
// name at a time, and used up by the image written under that name.
#pragma once

#include "formats/grid_placement.h"
#include "image/geotiff_keys.h"
#include "image/image_lines.h"
#include "image/tiff_format.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib {

struct GeoTiffPlacement {
    formats::GridPlacement grid;
    std::int32_t columns = 0, rows = 0;  // of the grid placed
    GeoKeys keys;
};

// Places the next GeoTIFF written under image_path on this thread, in place
// of any placement made before.
void place_next_geotiff(const std::string& image_path, const GeoTiffPlacement& placement);
// Drops this thread's placement: the next GeoTIFF is written unplaced.
void forget_geotiff_placement();

// The geo tags of the image drawn at `scale` of a working grid of columns x
// rows cells into image_path, and the placement used up; nothing when none
// was made for that name, or it was made for a grid of another size.
std::optional<tiff::GeoTags> take_geo_tags(const std::string& image_path, std::int32_t columns, std::int32_t rows,
                                           const image::ImageScale& scale);

}  // namespace gridlib
