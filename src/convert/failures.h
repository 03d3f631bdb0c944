// The messages that end a conversion the library could not complete: each
// names the cause behind a library status.
#pragma once

#include <cstdint>
#include <string>

namespace gridlib::convert {

// GRDRDH's, for the grid file `name` of the given format code; the formats
// read through other libraries (GeoTIFF, netCDF) say what is wrong, the
// others keep the converter's one sentence.
std::string header_failure(std::int32_t status, std::int32_t format, const std::string& name);
// GRDRDG, for a grid of the given format code and stored row count: the
// format tells byte images apart, and the row count the two meanings of the
// status that is both a failed positioning and row 2000's failure.
std::string grid_read_failure(std::int32_t status, std::int32_t format, std::int32_t rows);
std::string histogram_failure(std::int32_t status);
// The image writer's, for an image of the kind "BMP", "PNG" or "TIFF": an image
// too large names the memory it needed where that was the cause.
std::string image_failure(std::int32_t status, const std::string& kind);
std::string world_file_failure(std::int32_t status, const std::string& name);
// gridlib_write_tile_pyramid's, for the folder named folder; a refusal
// (GRIDLIB_REFUSED) in the words given for its cause.
std::string pyramid_failure(std::int32_t status, const std::string& folder, const std::string& refusal);
// gridlib_write_colour_bar's, for the bar named name.
std::string colour_bar_failure(std::int32_t status, const std::string& name);
// GRDGRAD, for a shaded relief.
std::string gradient_failure(std::int32_t status);
// A file (named by `what`, "working grid file" say) refused ahead for want
// of room: the bytes its file system has available and the bytes it needs.
std::string room_failure(const std::string& what, std::int32_t status, std::int64_t available, std::int64_t needed);

}  // namespace gridlib::convert
