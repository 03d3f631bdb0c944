// What the row reader needs to know of a TIFF image: its size, how its
// values are cut into strips or tiles, and the type and place of the band
// read.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct tiff;

namespace gridlib::formats::geotiff {

enum class SampleKind : std::uint8_t { unsigned_integer, signed_integer, real };

struct TiffLayout {
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    std::uint16_t bands = 1;     // samples per pixel
    std::uint16_t band = 0;      // the one read, 0-based
    std::uint16_t sample_bytes = 4;
    SampleKind kind = SampleKind::real;
    bool planar = false;         // each band in chunks of its own
    bool tiled = false;
    // A chunk is a tile, or a strip as wide as the image.
    std::uint32_t chunk_columns = 0;
    std::uint32_t chunk_rows = 0;
    std::uint64_t chunk_bytes = 0;  // decoded
    std::optional<double> nodata;   // GDAL's nodata value, when it is a number

    std::uint32_t chunks_across() const { return (columns - 1) / chunk_columns + 1; }
    // Samples side by side in a chunk's pixel.
    std::uint32_t interleaved() const { return planar ? 1 : bands; }
    std::uint64_t chunk_row_bytes() const {
        return std::uint64_t{chunk_columns} * interleaved() * sample_bytes;
    }
    // The chunk that holds row `row` (0-based, from the top) in the column
    // of chunks `across`, numbered as libtiff numbers strips and tiles.
    std::uint32_t chunk_index(std::uint32_t row, std::uint32_t across) const;
};

// The layout of the image the handle is at, band `band` (0-based) read;
// 0 or the status of what makes it unreadable (see gridlib.h, GRDRDH).
std::int32_t read_layout(tiff* tif, std::uint64_t file_size, std::uint16_t band, TiffLayout& layout);

// The band a selection names: "" for the first, "N" for band N (1-based);
// nothing for any other text.
std::optional<std::uint16_t> selected_band(const std::string_view selection);

}  // namespace gridlib::formats::geotiff
