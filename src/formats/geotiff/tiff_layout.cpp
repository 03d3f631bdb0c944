// Reading and checking a TIFF image's layout before anything is allocated
// for its values.
#include "formats/geotiff/tiff_layout.h"

#include "gridlib.h"

#include <tiffio.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace gridlib::formats::geotiff {
namespace {

// No codec libtiff decodes turns a byte into more than 32768 (Zstandard's
// run-length blocks come closest): a header that declares more values than
// its file could hold at twice that ratio is damaged, and is refused before
// any chunk buffer is allocated for it.
constexpr std::uint64_t kMostExpansion = 65536;

// Bounds on what is decoded at once, against files that make one tile, or
// one row of tiles, larger than any machine's memory. Real files stay far
// below them: a tile of 1024 x 1024 64-bit reals is 8 MB, and a row of
// such tiles across 65536 columns 512 MB. Strips are read a row at a time
// once they are large, so one row of the image is all they need.
constexpr std::uint64_t kLargestChunk = std::uint64_t{256} << 20;     // a tile, or a row of the image
constexpr std::uint64_t kLargestChunkRow = std::uint64_t{1} << 30;    // a row of tiles across the image

std::optional<SampleKind> kind_of(std::uint16_t format, std::uint16_t bits) {
    switch (format) {
        case SAMPLEFORMAT_UINT:
            if (bits == 8 || bits == 16 || bits == 32) return SampleKind::unsigned_integer;
            break;
        case SAMPLEFORMAT_INT:
            if (bits == 8 || bits == 16 || bits == 32) return SampleKind::signed_integer;
            break;
        case SAMPLEFORMAT_IEEEFP:
            if (bits == 32 || bits == 64) return SampleKind::real;
            break;
        default: break;
    }
    return std::nullopt;
}

// GDAL writes the nodata value as text: a number, "nan", or (for integers
// out of a double's exact reach) digits that we read as the double nearest.
std::optional<double> nodata_of(TIFF* tif) {
    const char* text = nullptr;
    if (TIFFGetField(tif, TIFFTAG_GDAL_NODATA, &text) != 1 || !text) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || std::isnan(v)) return std::nullopt;  // NaN is null anyway
    return v;
}

}  // namespace

std::uint32_t TiffLayout::chunk_index(std::uint32_t row, std::uint32_t across) const {
    const std::uint64_t down = (rows - 1) / chunk_rows + 1;
    const std::uint64_t plane = planar ? band : 0u;
    const std::uint64_t index = (plane * down + row / chunk_rows) * chunks_across() + across;
    // libtiff numbers its chunks in 32 bits and refuses the last number as out of range.
    return index < std::numeric_limits<std::uint32_t>::max() ? static_cast<std::uint32_t>(index)
                                                             : std::numeric_limits<std::uint32_t>::max();
}

std::optional<std::uint16_t> selected_band(const std::string_view selection) {
    if (selection.empty()) return std::uint16_t{0};
    unsigned number = 0;
    const auto [end, error] = std::from_chars(selection.data(), selection.data() + selection.size(), number);
    if (error != std::errc{} || end != selection.data() + selection.size() || number < 1 ||
        number > std::numeric_limits<std::uint16_t>::max())
        return std::nullopt;
    return static_cast<std::uint16_t>(number - 1);
}

std::int32_t read_layout(TIFF* tif, std::uint64_t file_size, std::uint16_t band, TiffLayout& layout) {
    std::uint32_t columns = 0, rows = 0;
    std::uint16_t bands = 1, bits = 0, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &columns) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows))
        return GRIDLIB_TIFF_UNREADABLE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &bands);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (columns == 0 || rows == 0) return GRIDLIB_NO_USABLE_SIZE;
    if (band >= bands) return GRIDLIB_TIFF_NO_BAND;
    const auto kind = kind_of(format, bits);
    if (!kind) return GRIDLIB_TIFF_SAMPLES;

    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    // Subsampled colours (JPEG's YCbCr) do not store one sample per pixel.
    if (photometric == PHOTOMETRIC_YCBCR || !TIFFIsCODECConfigured(compression)) return GRIDLIB_TIFF_LAYOUT;

    layout.columns = columns;
    layout.rows = rows;
    layout.bands = bands;
    layout.band = band;
    layout.sample_bytes = static_cast<std::uint16_t>(bits / 8);
    layout.kind = *kind;
    layout.planar = planar == PLANARCONFIG_SEPARATE && bands > 1;
    layout.tiled = TIFFIsTiled(tif) != 0;
    if (layout.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &layout.chunk_columns);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &layout.chunk_rows);
        layout.chunk_bytes = TIFFTileSize64(tif);
    } else {
        layout.chunk_columns = columns;
        std::uint32_t per_strip = rows;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &per_strip);
        layout.chunk_rows = per_strip == 0 || per_strip > rows ? rows : per_strip;
        layout.chunk_bytes = TIFFStripSize64(tif);
    }
    if (layout.chunk_columns == 0 || layout.chunk_rows == 0 || layout.chunk_bytes == 0) return GRIDLIB_TIFF_LAYOUT;
    // The chunk must hold its rows as we address them.
    if (layout.chunk_bytes < layout.chunk_row_bytes() * layout.chunk_rows) return GRIDLIB_TIFF_LAYOUT;

    // The descriptor counts columns and rows in 32-bit integers.
    constexpr auto kMostCells = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    if (columns > kMostCells || rows > kMostCells) return GRIDLIB_TIFF_TOO_LARGE;
    const std::uint64_t most = file_size * (compression == COMPRESSION_NONE ? 1 : kMostExpansion);
    const auto band_bytes = static_cast<unsigned __int128>(columns) * rows * layout.sample_bytes;
    if (band_bytes > most || layout.chunk_bytes > most) return GRIDLIB_TIFF_TOO_LARGE;
    const auto chunk_row = static_cast<unsigned __int128>(layout.chunks_across()) * layout.chunk_bytes;
    if (layout.chunk_row_bytes() > kLargestChunk ||
        (layout.tiled && (layout.chunk_bytes > kLargestChunk || chunk_row > kLargestChunkRow)))
        return GRIDLIB_TIFF_CHUNKS_TOO_LARGE;
    layout.nodata = nodata_of(tif);
    return GRIDLIB_OK;
}

}  // namespace gridlib::formats::geotiff
