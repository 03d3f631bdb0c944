// Fuzzes the reading of a GeoTIFF grid's coordinate system: the input is a
// TIFF file (seeds written by gdal_translate -a_srs), whose GeoKeys, when
// they hold together, are written into a GeoTIFF image as the image writer
// copies them.
#include "fuzz_files.h"

#include "image/geotiff_keys.h"
#include "image/tiff_format.h"
#include "image/tiff_tiles.h"

#include <array>

// libtiff's struct tiff is a global name: gridlib::tiff is named by an
// alias in the function, never brought in by a using-directive.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace tiff = gridlib::tiff;
    using gridlib::fuzz::scratch_file;
    const std::string grid = scratch_file("grid.tif"), image = scratch_file("image.tif");
    gridlib::fuzz::write_whole(grid, gridlib::fuzz::as_text(data, size));
    const auto keys = gridlib::read_geo_keys(grid);
    if (!keys) return 0;
    auto file = gridlib::platform::File::create(image);
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
