// libtiff behind tiff::Writer.
#include "image/tiff_format.h"

#include "image/image_format.h"

#include <tiffio.h>
#include <xtiffio.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace gridlib::tiff {
namespace {

constexpr std::uint16_t kBits = 8;
constexpr std::uint16_t kColourMapEntries = 1u << kBits;
// Classic TIFF offsets are 32 bits; beyond this an image is a BigTIFF. What
// is left below 4 GiB is room for the directory and its tile arrays.
constexpr std::uint64_t kClassicBytes = (std::uint64_t{1} << 32) - (std::uint64_t{1} << 24);
constexpr std::uint64_t kTileArrayBytes = 8;  // an offset and a byte count a tile

std::uint32_t tiles_over(std::uint32_t side) { return side / kTileSide + (side % kTileSide != 0 ? 1 : 0); }

bool set_geo_tags(TIFF* t, const GeoTags& geo) {
    const WorldFile& w = geo.pixels;
    // The tie point names the outer corner of the upper-left pixel (PixelIsArea).
    const std::vector<double> scale{w.pixel_width, -w.pixel_height, 0.0};
    const std::vector<double> tie{0.0, 0.0, 0.0, w.x - w.pixel_width / 2.0, w.y - w.pixel_height / 2.0, 0.0};
    if (!tiff_library::set_doubles(t, TIFFTAG_GEOPIXELSCALE, scale) ||
        !tiff_library::set_doubles(t, TIFFTAG_GEOTIEPOINTS, tie))
        return false;
    if (geo.keys.directory.empty()) return true;  // no coordinate system to state
    if (!tiff_library::set_shorts(t, TIFFTAG_GEOKEYDIRECTORY, geo.keys.directory)) return false;
    if (!geo.keys.doubles.empty() && !tiff_library::set_doubles(t, TIFFTAG_GEODOUBLEPARAMS, geo.keys.doubles))
        return false;
    return geo.keys.ascii.empty() || tiff_library::set_text(t, TIFFTAG_GEOASCIIPARAMS, geo.keys.ascii);
}

bool set_colour_map(TIFF* t, const Layout& layout, const ConstColourTableView& palette) {
    std::array<std::array<std::uint16_t, kColourMapEntries>, 3> map{};
    for (std::uint32_t p = 0; p < layout.palette_entries; ++p) {
        const Rgb8 c = palette.get(p);
        // 16 bits a component: 255 is full intensity, 65535.
        auto wide = [](std::int32_t v) { return static_cast<std::uint16_t>((static_cast<std::uint32_t>(v) & 0xFFu) * 257u); };
        map[0][p] = wide(c.red);
        map[1][p] = wide(c.green);
        map[2][p] = wide(c.blue);
    }
    // GDAL's no-data value: the null cells' index.
    return TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data()) == 1 &&
           TIFFSetField(t, 42113, "0") == 1;
}

bool set_pixel_fields(TIFF* t, const Layout& layout) {
    const bool indexed = layout.palette_entries > 0;
    const float per_centimetre = static_cast<float>(kPixelsPerMetre) / 100.0f;
    bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, layout.width) == 1 &&
              TIFFSetField(t, TIFFTAG_IMAGELENGTH, layout.height) == 1 &&
              TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, kBits) == 1 &&
              TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(layout.pixel_bytes)) == 1 &&
              TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) == 1 &&
              TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
              TIFFSetField(t, TIFFTAG_PHOTOMETRIC, indexed ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB) == 1 &&
              TIFFSetField(t, TIFFTAG_TILEWIDTH, kTileSide) == 1 && TIFFSetField(t, TIFFTAG_TILELENGTH, kTileSide) == 1 &&
              TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) == 1 &&
              TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER) == 1 &&
              TIFFSetField(t, TIFFTAG_XRESOLUTION, per_centimetre) == 1 &&
              TIFFSetField(t, TIFFTAG_YRESOLUTION, per_centimetre) == 1;
    if (ok && !indexed) {
        const std::uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
        ok = TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &alpha) == 1;
    }
    return ok;
}

}  // namespace

std::optional<Layout> plan(std::int64_t width, std::int64_t height, std::uint32_t palette_entries) {
    constexpr std::int64_t kLargestSide = std::numeric_limits<std::uint32_t>::max();
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return std::nullopt;
    if (palette_entries > kColourEntries) return std::nullopt;
    Layout l;
    l.width = static_cast<std::uint32_t>(width);
    l.height = static_cast<std::uint32_t>(height);
    l.palette_entries = palette_entries;
    l.pixel_bytes = palette_entries > 0 ? 1 : 4;
    l.line_bytes = static_cast<std::size_t>(width) * l.pixel_bytes;
    l.tiles_across = tiles_over(l.width);
    l.tile_rows = tiles_over(l.height);
    // A tile's number is 32 bits.
    const std::uint64_t tiles = std::uint64_t{l.tiles_across} * l.tile_rows;
    if (tiles > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    // Deflate may store a tile a little larger than it is: GDAL's rule, the
    // bytes before compression, with that margin.
    const std::uint64_t largest = tiles * (compressBound(static_cast<uLong>(l.tile_bytes())) + kTileArrayBytes);
    l.big = largest > kClassicBytes;
    return l;
}

std::unique_ptr<Writer> Writer::start(platform::File& file, const Layout& layout,
                                      const std::optional<ConstColourTableView>& palette,
                                      const std::optional<GeoTags>& geo) {
    auto handle = tiff_library::open_write(file, layout.big);
    if (!handle) return nullptr;
    TIFF* t = handle.get();
    if (!set_pixel_fields(t, layout)) return nullptr;
    if (layout.palette_entries > 0 && (!palette || !set_colour_map(t, layout, *palette))) return nullptr;
    if (geo && !set_geo_tags(t, *geo)) return nullptr;
    if (file.error()) return nullptr;
    return std::unique_ptr<Writer>(new Writer(file, std::move(handle)));
}

bool Writer::write_tile(std::span<const std::byte> stream) {
    void* data = const_cast<std::byte*>(stream.data());  // libtiff only reads it
    const auto size = static_cast<tmsize_t>(stream.size());
    return TIFFWriteRawTile(tiff_.get(), next_tile_++, data, size) == size && !file_.error();
}

bool Writer::finish() {
    const bool written = TIFFWriteDirectory(tiff_.get()) == 1;
    tiff_.reset();
    return written && !file_.error();
}

}  // namespace gridlib::tiff
