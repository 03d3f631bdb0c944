// GeoTIFF images in the library: tiles and their streams, the format's
// limits, GeoKeys read back from files, and the placement of the next image,
// checked with GDAL as the reader.
#include "formats/grid_header.h"
#include "gridlib.h"
#include "grid/grid_reader.h"
#include "image/geotiff_keys.h"
#include "image/tiff_format.h"
#include "image/tiff_tiles.h"
#include "support/gdal_info.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace gridlib {
namespace {

using testing::TempDir;

// A tile as zlib inflates it from its stream.
std::vector<std::byte> inflated(std::span<const std::byte> stream, std::size_t bytes) {
    std::vector<std::byte> out(bytes + 1);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(stream.data()),
                         static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(size);
    return out;
}

TEST(TiffTiles, EachTileIsAZlibStreamZeroBeyondTheImage) {
    // 300 pixels of one byte: a whole tile and one of 44 pixels; 3 lines.
    const auto layout = tiff::plan(300, 3, 4);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->tiles_across, 2u);
    std::vector<std::byte> lines(3 * 300);
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = std::byte(i % 251 + 1);
    tiff::TileCompressor compressor(*layout);
    ASSERT_TRUE(compressor.compress(lines));
    for (std::size_t t = 0; t < 2; ++t) {
        std::vector<std::byte> expected(256 * 256);
        for (std::size_t y = 0; y < 3; ++y)
            for (std::size_t x = 0; x < 256 && 256 * t + x < 300; ++x) expected[256 * y + x] = lines[300 * y + 256 * t + x];
        EXPECT_EQ(inflated(compressor.tile(t), expected.size()), expected) << t;
    }
}

TEST(TiffLayout, SidesTilesAndSize) {
    constexpr std::int64_t kMost = std::numeric_limits<std::uint32_t>::max();
    struct Case {
        std::int64_t width, height;
        std::uint32_t palette_entries;
        bool fits, big;
    };
    for (const Case& c : std::vector<Case>{
             {1, 1, 1, true, false},
             {256, 257, 0, true, false},           // two rows of tiles
             {0, 5, 1, false, false},              // no pixels
             {5, 1, 257, false, false},            // a palette beyond 8 bits
             {kMost, 256, 1, true, true},           // the widest line, past 4 GiB
             {kMost + 1, 1, 1, false, false},       // beyond the format's side
             {kMost, kMost, 1, false, false},       // more tiles than it numbers
             {40000, 40000, 0, true, true},         // RGBA beyond 4 GiB: a BigTIFF
             {30000, 30000, 1, true, false},        // indices below it
         }) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const auto layout = tiff::plan(c.width, c.height, c.palette_entries);
        ASSERT_EQ(layout.has_value(), c.fits);
        if (layout) {
            EXPECT_EQ(layout->big, c.big);
        }
    }
}

// A one-pixel TIFF with the given geo tags, written by the image's writer.
void write_tiny_tiff(const std::string& path, const std::optional<tiff::GeoTags>& geo) {
    auto file = platform::File::create(path);
    ASSERT_TRUE(file);
    const auto layout = tiff::plan(1, 1, 0);
    auto writer = tiff::Writer::start(*file, *layout, std::nullopt, geo);
    ASSERT_TRUE(writer);
    tiff::TileCompressor tiles(*layout);
    const std::array<std::byte, 4> pixel{};
    ASSERT_TRUE(tiles.compress(pixel));
    ASSERT_TRUE(writer->write_tile(tiles.tile(0)));
    ASSERT_TRUE(writer->finish());
    ASSERT_TRUE(file->close());
}

TEST(GeoKeys, ReadWhenTheyHoldTogether) {
    TempDir dir;
    const WorldFile pixels{1, -1, 0.5, 0.5};
    // Projected, raster type PixelIsPoint, a citation, and a double.
    const GeoKeys point{{1, 1, 0, 4, 1024, 0, 1, 1, 1025, 0, 1, 2, 1026, 34737, 5, 0, 2057, 34736, 1, 0},
                        {6378137.0},
                        "UTM|"};
    GeoKeys area = point;
    area.directory[11] = 1;
    GeoKeys outside = point;
    outside.directory[15] = 9;  // the citation runs past the text
    GeoKeys short_directory = point;
    short_directory.directory.resize(12);  // says 4 keys, holds 2
    testing::write_file(dir.file("text.tif"), std::string_view("II*\0 not really"));
    write_tiny_tiff(dir.file("plain.tif"), std::nullopt);
    struct Case {
        const char* name;
        std::optional<GeoKeys> written;
        std::optional<GeoKeys> read;
    };
    for (const Case& c : std::vector<Case>{{"text.tif", std::nullopt, std::nullopt},
                                           {"plain.tif", std::nullopt, std::nullopt},
                                           {"point.tif", point, area},
                                           {"outside.tif", outside, std::nullopt},
                                           {"short.tif", short_directory, std::nullopt}}) {
        SCOPED_TRACE(c.name);
        if (c.written) write_tiny_tiff(dir.file(c.name), tiff::GeoTags{pixels, *c.written});
        const auto keys = read_geo_keys(dir.file(c.name));
        ASSERT_EQ(keys.has_value(), c.read.has_value());
        if (!keys) continue;
        EXPECT_EQ(keys->directory, c.read->directory);
        EXPECT_EQ(keys->doubles, c.read->doubles);
        EXPECT_EQ(keys->ascii, c.read->ascii);
    }
    EXPECT_FALSE(read_geo_keys(dir.file("missing.tif")));
    // Never waited on: no writer will come.
    ASSERT_EQ(::mkfifo(dir.file("fifo.tif").c_str(), 0600), 0);
    EXPECT_FALSE(read_geo_keys(dir.file("fifo.tif")));
}

// A grid read for drawing: its header, and the working grid of it.
struct ReadGrid {
    GridDescriptor desc;
    std::array<std::int32_t, kLevels> levels{};
    std::array<std::int32_t, kColourTableValues> colours{};

    ReadGrid(const std::string& grid, const std::string& working) {
        DescriptorView d = desc.view();
        EXPECT_EQ(read_grid_header(grid, d), GRIDLIB_OK);
        const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
        EXPECT_EQ(read_into_working_grid(grid, working, d, window), GRIDLIB_OK);
        d.colour_min() = d.data_min();
        d.colour_max() = d.data_max();
    }
    // Through the shared library, which keeps the placement.
    std::int32_t draw(const std::string& working, const std::string& image) {
        const auto working_length = static_cast<std::int32_t>(working.size());
        const auto image_length = static_cast<std::int32_t>(image.size());
        const std::int32_t mapping = GRIDLIB_MAPPING_LINEAR, colour_count = 8;
        std::int32_t status = GRIDLIB_REFUSED;
        GRD2BMP(working.data(), &working_length, image.data(), &image_length, desc.ihead.data(), desc.rhead.data(),
                &mapping, levels.data(), &colour_count, colours.data(), &status);
        return status;
    }
};

void place(const std::string& image, const std::string& grid, const GridDescriptor& header, std::int32_t& status) {
    const auto image_length = static_cast<std::int32_t>(image.size());
    const auto grid_length = static_cast<std::int32_t>(grid.size());
    gridlib_place_geotiff(image.data(), &image_length, grid.data(), &grid_length, header.ihead.data(),
                          header.rhead.data(), &status);
}

TEST(GeoTiffPlacement, TheNextImageUnderTheNameTakesTheGridsPlaceAndCoordinateSystem) {
    if (!testing::have_gdalinfo()) GTEST_SKIP() << "no gdalinfo";
    TempDir dir;
    const std::string asc = testing::gdal_sample("esri_corner.asc"), tif = dir.file("utm.tif");
    ASSERT_EQ(std::system(("gdal_translate -q -a_srs EPSG:32633 '" + asc + "' '" + tif + "'").c_str()), 0);
    const std::string input_json = testing::gdalinfo_json(tif);
    ASSERT_FALSE(testing::gdal_wkt(input_json).empty());

    // The header of the same grid as ESRI ASCII; the keys come from the file named.
    GridDescriptor header;
    DescriptorView h = header.view();
    ASSERT_EQ(read_grid_header(asc, h), GRIDLIB_OK);
    ReadGrid grid(asc, dir.file("work"));
    const std::string image = dir.file("map.tif");
    std::int32_t status = GRIDLIB_REFUSED;
    place(image, tif, header, status);
    ASSERT_EQ(status, GRIDLIB_OK);
    ASSERT_EQ(grid.draw(dir.file("work"), image), GRIDLIB_OK);
    const std::string json = testing::gdalinfo_json(image);
    EXPECT_EQ(testing::gdal_wkt(json), testing::gdal_wkt(input_json));
    EXPECT_EQ(testing::gdal_geotransform(image), testing::gdal_geotransform(tif));

    // Used up: the next image under the name is not placed; nor is one
    // under another name, nor one after a refused call.
    ASSERT_EQ(grid.draw(dir.file("work"), image), GRIDLIB_OK);
    EXPECT_TRUE(testing::gdal_geotransform(image).empty());
    place(dir.file("other.tif"), tif, header, status);
    ASSERT_EQ(grid.draw(dir.file("work"), image), GRIDLIB_OK);
    EXPECT_TRUE(testing::gdal_geotransform(image).empty());
    place(image, tif, header, status);
    place(image, "", header, status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
    ASSERT_EQ(grid.draw(dir.file("work"), image), GRIDLIB_OK);
    EXPECT_TRUE(testing::gdal_geotransform(image).empty());

    // A working grid of another size than the header's is not the grid placed.
    GridDescriptor smaller = header;
    smaller.view().columns() -= 1;
    place(image, tif, smaller, status);
    ASSERT_EQ(status, GRIDLIB_OK);
    ASSERT_EQ(grid.draw(dir.file("work"), image), GRIDLIB_OK);
    EXPECT_TRUE(testing::gdal_geotransform(image).empty());
}

}  // namespace
}  // namespace gridlib
