// GeoTIFF images through libtiff: an 8-bit palette image whose index 0, the
// colour of null cells, is marked as no data (GDAL's tag), or 8-bit red,
// green, blue and alpha. Tiles of 256 x 256 pixels, Deflate-compressed
// apart from libtiff (image/tiff_tiles.h) and handed to it whole, in order.
// Placed on a map, the image carries a pixel scale, a tie point at the outer
// corner of its upper-left pixel and the GeoKeys of its coordinate system.
#pragma once

#include "colour/colour_table.h"
#include "image/geotiff_keys.h"
#include "image/tiff_library.h"
#include "image/world_file.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace gridlib::tiff {

inline constexpr std::uint32_t kTileSide = 256;

// Everything the directory says of an image's pixels, checked to fit the format.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t palette_entries = 0;  // 1..256 of the colour table; 0 for red, green, blue and alpha
    std::size_t pixel_bytes = 0;        // 1 or 4
    std::size_t line_bytes = 0;
    std::uint32_t tiles_across = 0;
    std::uint32_t tile_rows = 0;
    bool big = false;  // beyond the 4 GiB of a classic TIFF: a BigTIFF

    std::size_t tile_line_bytes() const { return std::size_t{kTileSide} * pixel_bytes; }
    std::size_t tile_bytes() const { return std::size_t{kTileSide} * tile_line_bytes(); }
};

// The layout of a width x height image with a palette of palette_entries
// (0: true colour with alpha); nothing when a side is not positive or
// beyond the 2^32 - 1 the format holds, there are more tiles than it
// numbers, or the palette has more than 256 entries.
std::optional<Layout> plan(std::int64_t width, std::int64_t height, std::uint32_t palette_entries);

// Where the image lies, and in which coordinate system.
struct GeoTags {
    WorldFile pixels;  // the pixel size and the centre of the upper-left pixel
    GeoKeys keys;
};

class Writer {
public:
    // Begins the image in the file: its directory's fields, for a palette
    // image the colour map (the low byte of each of the first
    // layout.palette_entries values of the colour table, black beyond) and
    // index 0 as no data, the resolution of 4096 pixels per metre that the
    // BMP and PNG state too, and the geo tags when given. Nothing when
    // libtiff fails.
    static std::unique_ptr<Writer> start(platform::File& file, const Layout& layout,
                                         const std::optional<ConstColourTableView>& palette,
                                         const std::optional<GeoTags>& geo);

    // Stores the next tile's zlib stream; tiles go from the upper-left one
    // across and down. False when libtiff or the file failed.
    bool write_tile(std::span<const std::byte> stream);
    // Writes the directory once every tile is stored; false on failure.
    bool finish();

private:
    Writer(platform::File& file, tiff_library::Handle handle) : file_(file), tiff_(std::move(handle)) {}

    platform::File& file_;
    tiff_library::Handle tiff_;
    std::uint32_t next_tile_ = 0;
};

}  // namespace gridlib::tiff
