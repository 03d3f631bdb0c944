// Fuzzes the reading of a GeoTIFF grid's coordinate system: the input is a
// TIFF file (seeds written by gdal_translate -a_srs), whose GeoKeys, when
// they hold together, are written into a GeoTIFF image as the image writer
// copies them.
#include "fuzz_files.h"

#include "image/geotiff_keys.h"
#include "image/tiff_format.h"
#include "image/tiff_tiles.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    const std::string grid = fuzz::scratch_file("grid.tif"), image = fuzz::scratch_file("image.tif");
    fuzz::write_whole(grid, fuzz::as_text(data, size));
    const auto keys = read_geo_keys(grid);
    if (!keys) return 0;
    auto file = platform::File::create(image);
    const auto layout = tiff::plan(1, 1, 0);
    if (!file || !layout) std::abort();
    auto writer = tiff::Writer::start(*file, *layout, std::nullopt, tiff::GeoTags{{1, -1, 0.5, 0.5}, *keys});
    if (!writer) return 0;  // arrays beyond what a TIFF tag counts
    tiff::TileCompressor tiles(*layout);
    const std::array<std::byte, 4> pixel{};
    if (!tiles.compress(pixel) || !writer->write_tile(tiles.tile(0)) || !writer->finish()) std::abort();
    file->close();
    return 0;
}
