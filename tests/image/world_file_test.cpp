// World files: their numbers against the geotransform GDAL reads from the
// same grids (tools/make_world_file_samples.sh records them), for images of
// one pixel per cell, enlarged and reduced; their names; and their writing.
#include "image/world_file.h"

#include "formats/grid_header.h"
#include "gridlib.h"
#include "grid/grid_reader.h"
#include "image/image_files.h"
#include "image/image_lines.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::entries;
using testing::TempDir;

struct GdalGrid {
    std::string file;
    std::array<double, 6> geotransform{};
};

std::vector<GdalGrid> gdal_geotransforms(const std::string& list = testing::gdal_sample("geotransforms.txt")) {
    std::istringstream in(testing::read_text(list));
    std::vector<GdalGrid> grids;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GdalGrid g;
        fields >> g.file;
        for (double& v : g.geotransform) fields >> v;
        grids.push_back(g);
    }
    return grids;
}

// The descriptor of a sample as the converter holds it when it draws: of
// the working grid made from it (of a byte image, of its header).
void describe(const std::string& input, const TempDir& dir, DescriptorView d) {
    ASSERT_EQ(read_grid_header(input, d), GRIDLIB_OK) << input;
    if (is_byte_image(d.format())) return;
    const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    ASSERT_EQ(read_into_working_grid(input, dir.file("work.tmp"), d, window), GRIDLIB_OK) << input;
}

// Where GDAL places what pixel `at` of an image side shows, along a side of
// `cells` cells whose first edge is at `edge` and whose cells are `size`
// long in the image's direction: a reduced image's pixel at the centre of
// its cell (the last row kept counts from the south, where sampling
// starts), an enlarged image's pixel at its place within its cell.
double gdal_position(double edge, double size, std::int64_t cells, const image::ImageScale& s, std::int64_t at,
                     bool from_north) {
    if (s.step > 1) {
        const std::int64_t first = from_north ? cells - 1 - (cells - 1) / s.step * s.step : 0;
        return edge + (static_cast<double>(first + at * s.step) + 0.5) * size;
    }
    return edge + (static_cast<double>(at) + 0.5) / static_cast<double>(s.replication) * size;
}

TEST(WorldFile, PixelCentresLandWhereGdalPlacesTheCellCentres) {
    const auto grids = gdal_geotransforms();
    ASSERT_EQ(grids.size(), 7u);
    for (const GdalGrid& g : grids) {
        SCOPED_TRACE(g.file);
        TempDir dir;
        GridDescriptor desc;
        DescriptorView d = desc.view();
        describe(testing::gdal_sample(g.file), dir, d);
        const auto [west, width, rotation_x, north, rotation_y, height] = g.geotransform;
        ASSERT_EQ(rotation_x, 0.0);
        ASSERT_EQ(rotation_y, 0.0);
        const std::int32_t columns = d.columns(), rows = d.rows();
        // One pixel per cell; enlarged 3 times; every second and every third
        // cell kept (so that the northern row is not always drawn).
        for (const std::int32_t requested : {0, 3 * columns, columns / 2, columns / 3}) {
            SCOPED_TRACE("requested width " + std::to_string(requested));
            const auto w = world_file_of(d, requested);
            ASSERT_TRUE(w);
            const image::ImageScale s = image::image_scale(requested, columns);
            const std::int64_t last_x = s.side(columns) - 1, last_y = s.side(rows) - 1;
            const double tolerance = 1e-9 * (std::abs(west) + std::abs(north));
            EXPECT_NEAR(w->x, gdal_position(west, width, columns, s, 0, false), tolerance);
            EXPECT_NEAR(w->x + static_cast<double>(last_x) * w->pixel_width,
                        gdal_position(west, width, columns, s, last_x, false), tolerance);
            EXPECT_NEAR(w->y, gdal_position(north, height, rows, s, 0, true), tolerance);
            EXPECT_NEAR(w->y + static_cast<double>(last_y) * w->pixel_height,
                        gdal_position(north, height, rows, s, last_y, true), tolerance);
        }
    }
}

// The six numbers of a world file as written.
std::array<double, 6> world_file_numbers(const std::string& path) {
    std::istringstream in(testing::read_text(path));
    std::array<double, 6> v{};
    for (double& n : v) in >> n;
    return v;
}

// Grids at projected coordinates, where 32-bit reals are a metre or more
// off (tools/make_placement_samples.sh): the geotransform and the world
// files of whole-grid images keep every digit of the header, to a
// millionth of a cell of GDAL's.
TEST(WorldFile, WholeGridsArePlacedToTheLastDigitOfTheirHeaders) {
    const auto grids = gdal_geotransforms(testing::test_data("placed/geotransforms.txt"));
    ASSERT_EQ(grids.size(), 8u);
    for (const GdalGrid& g : grids) {
        SCOPED_TRACE(g.file);
        const std::string input = testing::test_data("placed/" + g.file);
        const auto name_length = static_cast<std::int32_t>(input.size());
        GridDescriptor desc;
        DescriptorView d = desc.view();
        ASSERT_EQ(read_grid_header(input, d), GRIDLIB_OK);
        const auto [west, width, rotation_x, north, rotation_y, height] = g.geotransform;
        const double cell = std::min(width, -height);

        std::array<double, 6> ours{};
        std::int32_t status = 99;
        gridlib_read_geotransform(input.data(), &name_length, desc.ihead.data(), desc.rhead.data(), ours.data(),
                                  &status);
        ASSERT_EQ(status, GRIDLIB_OK);
        for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(ours[k], g.geotransform[k], 1e-6 * cell) << "number " << k;

        const std::int32_t columns = d.columns(), rows = d.rows();
        for (const std::int32_t requested : {0, 3 * columns, columns / 2, columns / 3}) {
            SCOPED_TRACE("requested width " + std::to_string(requested));
            TempDir dir;
            const std::string image = dir.file("i.png");
            const auto image_length = static_cast<std::int32_t>(image.size());
            gridlib_write_grid_world_file(image.data(), &image_length, input.data(), &name_length,
                                          desc.ihead.data(), desc.rhead.data(), &requested, &status);
            ASSERT_EQ(status, GRIDLIB_OK);
            const auto [pixel_width, zero_1, zero_2, pixel_height, x, y] = world_file_numbers(dir.file("i.pgw"));
            const image::ImageScale s = image::image_scale(requested, columns);
            const std::int64_t last_x = s.side(columns) - 1, last_y = s.side(rows) - 1;
            const double tolerance = 1e-6 * cell;
            EXPECT_NEAR(x, gdal_position(west, width, columns, s, 0, false), tolerance);
            EXPECT_NEAR(x + static_cast<double>(last_x) * pixel_width,
                        gdal_position(west, width, columns, s, last_x, false), tolerance);
            EXPECT_NEAR(y, gdal_position(north, height, rows, s, 0, true), tolerance);
            EXPECT_NEAR(y + static_cast<double>(last_y) * pixel_height,
                        gdal_position(north, height, rows, s, last_y, true), tolerance);
        }
    }
}

TEST(WorldFile, CellsKeptByTheGridReaderAreCentredOnTheirOwnCentres) {
    // Every 2nd column and row of the 7 x 5 corner-origin grid: cells 0, 2,
    // 4, 6 from the west and 0, 2, 4 from the south (the northern row).
    const auto grids = gdal_geotransforms();
    const auto corner =
        std::find_if(grids.begin(), grids.end(), [](const GdalGrid& g) { return g.file == "esri_corner.asc"; });
    ASSERT_NE(corner, grids.end());
    const auto [west, width, rotation_x, north, rotation_y, height] = corner->geotransform;
    TempDir dir;
    GridDescriptor desc;
    DescriptorView d = desc.view();
    ASSERT_EQ(read_grid_header(testing::gdal_sample(corner->file), d), GRIDLIB_OK);
    const GridWindow window{d.west_x(), d.east_x(), 2, d.south_y(), d.north_y(), 2};
    ASSERT_EQ(read_into_working_grid(testing::gdal_sample(corner->file), dir.file("work.tmp"), d, window), GRIDLIB_OK);
    ASSERT_EQ(d.columns(), 4);
    ASSERT_EQ(d.rows(), 3);
    const auto w = world_file_of(d, 0);
    ASSERT_TRUE(w);
    EXPECT_DOUBLE_EQ(w->pixel_width, 2 * width);
    EXPECT_DOUBLE_EQ(w->pixel_height, 2 * height);
    EXPECT_DOUBLE_EQ(w->x, west + 0.5 * width);
    EXPECT_DOUBLE_EQ(w->y, north + 0.5 * height);
}

TEST(WorldFile, SixLinesInTheFewestDigitsThatReadBack) {
    GridDescriptor desc;
    DescriptorView d = desc.view();
    d.set_format(FormatCode::esri_ascii);
    d.columns() = 4;
    d.rows() = 3;
    d.west_x() = 500000.0f;
    d.south_y() = 4200000.0f;
    d.column_spacing() = 2.5f;
    d.row_spacing() = 4.0f;
    EXPECT_EQ(world_file_text(*world_file_of(d, 0)), "2.5\n0\n0\n-4\n500001.25\n4200010\n");

    // A spacing no float holds exactly: each number reads back as computed.
    d.column_spacing() = d.row_spacing() = 0.1f;
    const auto w = world_file_of(d, 0);
    ASSERT_TRUE(w);
    std::istringstream lines(world_file_text(*w));
    std::vector<double> read_back;
    for (std::string line; std::getline(lines, line);) read_back.push_back(std::stod(line));
    EXPECT_EQ(read_back, (std::vector<double>{w->pixel_width, 0, 0, w->pixel_height, w->x, w->y}));
    EXPECT_EQ(w->pixel_width, double{0.1f});
}

TEST(WorldFile, NamedAfterTheImage) {
    EXPECT_EQ(world_file_name("terrain.pNg"), "terrain.pgw");
    EXPECT_EQ(world_file_name("dir.v2/Terrain.PNG"), "dir.v2/Terrain.PGW");
    EXPECT_EQ(world_file_name("terrain.img"), "terrain.bpw");  // a BMP whatever its extension
    EXPECT_EQ(world_file_name("terrain.tif"), "terrain.tfw");
    EXPECT_EQ(world_file_name("TERRAIN.TIFF"), "TERRAIN.TFW");
    EXPECT_EQ(world_file_name("dir.v2/terrain"), "dir.v2/terrain.bpw");
    EXPECT_EQ(world_file_name(".png"), ".png.pgw");  // a hidden file's name, not an extension
    EXPECT_EQ(world_file_name("a.bpw"), "a.bpw.bpw");  // never the image itself

    // Through the C interface, into a buffer that must hold the name and its NUL.
    const std::string image = "terrain.png   ";
    const auto image_length = static_cast<std::int32_t>(image.size());
    std::array<char, 12> name{};
    std::int32_t length = 12, status = 99;
    gridlib_world_file_name(image.data(), &image_length, name.data(), &length, &status);
    EXPECT_EQ(status, GRIDLIB_OK);
    EXPECT_EQ(std::string(name.data()), "terrain.pgw");
    length = 11;
    gridlib_world_file_name(image.data(), &image_length, name.data(), &length, &status);
    EXPECT_EQ(status, GRIDLIB_REFUSED);
}

TEST(WorldFile, WrittenWholeOrNotAtAll) {
    TempDir dir;
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};
    ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_SURFER7;
    ihead[GRIDLIB_COLUMNS] = 3;
    ihead[GRIDLIB_ROWS] = 2;
    rhead[GRIDLIB_WEST_X] = 10.0f;
    rhead[GRIDLIB_SOUTH_Y] = 20.0f;
    rhead[GRIDLIB_COLUMN_SPACING] = rhead[GRIDLIB_ROW_SPACING] = 2.0f;
    const auto write = [&](const std::string& image, std::int32_t width = 6) {
        const auto length = static_cast<std::int32_t>(image.size());
        std::int32_t status = 99;
        gridlib_write_world_file(image.data(), &length, ihead.data(), rhead.data(), &width, &status);
        return status;
    };
    testing::write_file(dir.file("i.pgw"), std::string_view("old"));

    // Refused: no format, no cells, a spacing of zero or not a number.
    ihead[GRIDLIB_FORMAT] = 99;
    EXPECT_EQ(write(dir.file("i.png")), GRIDLIB_REFUSED);
    ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_SURFER7;
    ihead[GRIDLIB_ROWS] = 0;
    EXPECT_EQ(write(dir.file("i.png")), GRIDLIB_REFUSED);
    ihead[GRIDLIB_ROWS] = 2;
    rhead[GRIDLIB_ROW_SPACING] = 0.0f;
    EXPECT_EQ(write(dir.file("i.png")), GRIDLIB_REFUSED);
    rhead[GRIDLIB_ROW_SPACING] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(write(dir.file("i.png")), GRIDLIB_REFUSED);
    rhead[GRIDLIB_ROW_SPACING] = 2.0f;
    EXPECT_EQ(write(""), GRIDLIB_REFUSED);
    EXPECT_EQ(write(dir.file("no such dir/i.png")), GRIDLIB_IMAGE_WRITE_FAILED);
    EXPECT_EQ(testing::read_text(dir.file("i.pgw")), "old");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"i.pgw"});

    // Replaced when written: 6 pixels for 3 columns, each cell 2 x 2 pixels
    // of size 1, the upper-left pixel a quarter cell in from the corner.
    EXPECT_EQ(write(dir.file("i.png")), GRIDLIB_OK);
    EXPECT_EQ(testing::read_text(dir.file("i.pgw")), "1\n0\n0\n-1\n9.5\n22.5\n");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"i.pgw"});
}

}  // namespace
}  // namespace gridlib
