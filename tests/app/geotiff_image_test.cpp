// GeoTIFF output through the real executable, read back by GDAL: the pixels
// are those of the PNG of the same run, and the image lies where GDAL places
// the grid, at full size and enlarged or reduced.
#include "run_support.h"

#include "support/gdal_info.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace rastrify::testing {
namespace {

using gridlib::testing::gdal_checksums;
using gridlib::testing::gdal_geotransform;
using gridlib::testing::gdal_wkt;
using gridlib::testing::gdalinfo_json;
using gridlib::testing::have_gdalinfo;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

// The columns and rows GDAL reads of a file.
std::pair<int, int> gdal_size(const std::string& path) {
    const std::string json = gdalinfo_json(path);
    const auto at = json.find("\"size\":[");
    if (at == std::string::npos) return {0, 0};
    std::istringstream in(json.substr(at + 8));
    int columns = 0, rows = 0;
    char comma = 0;
    in >> columns >> comma >> rows;
    return {columns, rows};
}

TEST(GeoTiffImage, GdalPlacesTheImageWhereItPlacesTheGrid) {
    if (!have_gdalinfo()) GTEST_SKIP() << "no gdalinfo";
    TempDir dir;
    for (const char* sample : {"esri_corner.asc", "esri_centre.asc", "gxf_nodes.gxf", "surfer7.grd"}) {
        const std::string input = gridlib::testing::gdal_sample(sample);
        const std::vector<double> grid = gdal_geotransform(input);
        const auto [columns, rows] = gdal_size(input);
        ASSERT_EQ(grid.size(), 6u) << sample;
        const double dx = grid[1], dy = -grid[5];
        // Full size; every cell 3 x 3 pixels; every n-th row and column
        // (columns over the width, rounded), pixels centred on the cells
        // they show, the southern row kept.
        const int reduced = std::max(1, columns / 2);
        const int step = static_cast<int>(double(columns) / reduced + 0.5), skipped = (rows - 1) % step;
        struct Case {
            std::string width;
            std::vector<double> expected;
        };
        const std::vector<Case> cases = {
            {"-W0", grid},
            {"-W" + std::to_string(3 * columns), {grid[0], dx / 3, 0, grid[3], 0, -dy / 3}},
            {"-W" + std::to_string(reduced),
             {grid[0] + dx / 2 - dx * step / 2, dx * step, 0, grid[3] - (skipped + 0.5) * dy + dy * step / 2, 0,
              -dy * step}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(sample) + " " + c.width);
            const RunResult r = run_rastrify(dir.path(), {input, "map.tif", c.width, "-Hlin"});
            ASSERT_EQ(r.status, 0) << r.err;
            const std::vector<double> image = gdal_geotransform(dir.file("map.tif"));
            ASSERT_EQ(image.size(), 6u);
            for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(image[i], c.expected[i], 1e-6 * dx) << i;
        }
    }
}

TEST(GeoTiffImage, PixelsAreThoseOfThePngOfTheSameRun) {
    if (!have_gdalinfo()) GTEST_SKIP() << "no gdalinfo";
    TempDir dir;
    // More than one tile each way, with null cells; enlarged 3 times, a
    // row's repeats straddle the edge between two rows of tiles; enlarged 7
    // times, the sixth row of tiles starts on a row's last repeat and spans
    // one grid row more than 256 / 7.
    std::vector<double> v;
    for (int i = 0; i < 300 * 270; ++i) v.push_back(i % 101 == 7 ? -9999 : (i * 37) % 1009 + (i / 300) * 3);
    write_file(dir.file("g.asc"), esri_grid(300, 270, v));
    const std::vector<std::vector<std::string>> option_sets = {
        {}, {"-S"}, {"-W900", "-Hlin"}, {"-W2100", "-Hlin"}, {"-S", "-W100", "-I"}};
    for (const auto& options : option_sets) {
        std::vector<std::string> png = {"g.asc", "g.png"}, tif = {"g.asc", "g.TIFF", "-G"};
        png.insert(png.end(), options.begin(), options.end());
        tif.insert(tif.end(), options.begin(), options.end());
        ASSERT_EQ(run_rastrify(dir.path(), png).status, 0);
        const RunResult r = run_rastrify(dir.path(), tif);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string png_json = gdalinfo_json(dir.file("g.png")), tif_json = gdalinfo_json(dir.file("g.TIFF"));
        const bool shaded = !options.empty() && options[0] == "-S";
        SCOPED_TRACE(shaded ? "shaded" : "palette");
        EXPECT_EQ(gdal_checksums(tif_json).size(), shaded ? 4u : 1u);  // red, green, blue, alpha; or indices
        EXPECT_EQ(gdal_checksums(tif_json), gdal_checksums(png_json));
        EXPECT_EQ(tif_json.find("\"noDataValue\":0") != std::string::npos, !shaded);
        EXPECT_NE(tif_json.find("\"COMPRESSION\":\"DEFLATE\""), std::string::npos);
        EXPECT_NE(tif_json.find("\"block\":[\n        256,\n        256\n      ]"), std::string::npos);
    }
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"g.asc", "g.png", "g.TIFF", "g.TFW"}));
}

TEST(GeoTiffImage, AGeoTiffGridsCoordinateSystemComesAlong) {
    if (!have_gdalinfo()) GTEST_SKIP() << "no gdalinfo";
    TempDir dir;
    const std::string asc = gridlib::testing::gdal_sample("esri_corner.asc"), tif = dir.file("utm.tif");
    ASSERT_EQ(std::system(("gdal_translate -q -a_srs EPSG:32633 '" + asc + "' '" + tif + "'").c_str()), 0);
    const RunResult r = run_rastrify(dir.path(), {"utm.tif", "map.tif", "-W14"});
    if (r.err.find("format could not be determined") != std::string::npos)
        GTEST_SKIP() << "this build reads no GeoTIFF grids";
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string grid = gdalinfo_json(tif), image = gdalinfo_json(dir.file("map.tif"));
    EXPECT_FALSE(gdal_wkt(image).empty());
    EXPECT_EQ(gdal_wkt(image), gdal_wkt(grid));
    const std::vector<double> g = gdal_geotransform(tif);
    ASSERT_EQ(g.size(), 6u);
    EXPECT_EQ(gdal_geotransform(dir.file("map.tif")), (std::vector<double>{g[0], g[1] / 2, 0, g[3], 0, g[5] / 2}));
}

TEST(GeoTiffImage, RefusalsLeaveNoImage) {
    TempDir dir;
    write_file(dir.file("g.asc"), esri_grid(2, 2, {1, 2, 3, 4}));
    // 2 columns to 2e9 pixels, 2e9 lines: more tiles than a TIFF numbers.
    const RunResult too_large = run_rastrify(dir.path(), {"g.asc", "big.tif", "-W2000000000"});
    EXPECT_EQ(too_large.err,
              "  The TIFF file could not be written : the image would be too large for the TIFF format (status -2)\n");
    EXPECT_EQ(files_in(dir.path()), std::set<std::string>{"g.asc"});
}

}  // namespace
}  // namespace rastrify::testing
