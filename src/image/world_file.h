// World files: six numbers in a text file beside an image that place it on
// a map for GIS software. One per line: the pixel width, two rotation terms
// (0 here: grids are drawn north up), the pixel height as a negative number
// (the lines run southward), and the map x and y of the centre of the
// upper-left pixel.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "formats/grid_placement.h"
#include "image/image_lines.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib {

struct WorldFile {
    double pixel_width = 0;
    double pixel_height = 0;  // negative: y falls from one line to the next
    double x = 0, y = 0;      // the centre of the upper-left pixel
};

// Where the image lies that the palette writer draws of the working grid d
// describes when asked for requested_width pixels per line (<= 0: one pixel
// per cell, as every other writer draws). A reduced image's pixels are
// centred on the cells they show; an enlarged image's blocks of pixels
// cover their cells. The descriptor's coordinates are taken as naming the
// point of each cell that the format of d's format code states (its
// centre, or a corner), of the cells as the header describes them: when
// the grid reader kept only every n-th cell, the kept cells' centres are
// found with the spacings as read. Nothing when the format code has no
// format, the grid has no cells, a spacing is zero or not finite, or a
// number comes out not finite.
std::optional<WorldFile> world_file_of(const DescriptorView& d, std::int32_t requested_width);

// Where the image lies that the palette writer draws, requested_width
// pixels per line (<= 0: one pixel per cell), of a whole grid of columns x
// rows cells placed at `grid`: the same rules as above, in double precision
// throughout. Nothing when the grid has no cells or a number comes out not
// finite.
std::optional<WorldFile> image_placement(const formats::GridPlacement& grid, std::int32_t columns,
                                         std::int32_t rows, std::int32_t requested_width);
// The same for an image drawn at a scale already settled.
std::optional<WorldFile> image_placement(const formats::GridPlacement& grid, std::int32_t columns,
                                         std::int32_t rows, const image::ImageScale& scale);

// The same of an image drawn of the whole grid named grid_name, whose header
// d holds as read_grid_header left it, placed where formats::grid_placement
// says: from the header's own numbers in double precision where the format
// has them. Nothing when the grid cannot be placed.
std::optional<WorldFile> whole_grid_world_file(const std::string& grid_name, const DescriptorView& d,
                                               std::int32_t requested_width);

// The six lines, each number in the fewest digits that read back exactly.
std::string world_file_text(const WorldFile& w);

// The world file's name: the image's extension replaced by ".pgw" for a PNG,
// ".tfw" for a TIFF and ".bpw" for a BMP, in upper case when the extension
// was; appended when the image has no extension or has that one.
std::string world_file_name(const std::string& image_path);

// Writes the world file of the image at image_path (see world_file_of)
// under a temporary name beside it and renames it into place when complete;
// on failure nothing is left behind and an existing file stays as it was.
// Returns 0, GRIDLIB_REFUSED when there is no world file to write, or
// GRIDLIB_IMAGE_WRITE_FAILED.
std::int32_t write_world_file(const std::string& image_path, const DescriptorView& d,
                              std::int32_t requested_width);
// The same for a world file already computed; nothing: GRIDLIB_REFUSED.
std::int32_t write_world_file(const std::string& image_path, const std::optional<WorldFile>& world);

}  // namespace gridlib
