// netCDF grids written by GMT and GDAL, read through header and working
// grid, must hold the values GDAL reads from them and lie where GDAL places
// them. tools/make_netcdf_samples.sh makes the samples and, for each,
// "<name>.gdal.txt": GDAL's size, geotransform and values, northern row
// first, "nan" for a null cell.
#include "formats/grid_header.h"
#include "formats/grid_placement.h"
#include "grid/grid_reader.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using gridlib::testing::read_file;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::test_data;

struct GdalReading {
    int columns = 0, rows = 0;
    double geotransform[6] = {};
    std::vector<double> values;  // NaN for a null cell
};

GdalReading read_gdal_side_file(const std::string& path) {
    std::istringstream in(read_text(path));
    GdalReading g;
    in >> g.columns >> g.rows;
    for (double& v : g.geotransform) in >> v;
    for (std::string cell; in >> cell;) g.values.push_back(cell == "nan" ? NAN : std::stod(cell));
    return g;
}

struct Sample {
    const char* grid;  // under tests/data/netcdf/, with a selection where it has one
    StorageOrder order;
};

class NetcdfSample : public ::testing::TestWithParam<Sample> {};

TEST_P(NetcdfSample, ReadsAndPlacesItAsGdalDoes) {
    const Sample& s = GetParam();
    std::string side = std::string(s.grid) + ".gdal.txt";
    if (const auto q = side.find('?'); q != std::string::npos) side[q] = '-';
    const GdalReading gdal = read_gdal_side_file(test_data("netcdf/" + side));
    ASSERT_EQ(gdal.values.size(), static_cast<std::size_t>(gdal.columns) * static_cast<std::size_t>(gdal.rows));

    const std::string input = test_data(std::string("netcdf/") + s.grid);
    GridDescriptor g;
    DescriptorView d = g.view();
    ASSERT_EQ(read_grid_header(input, d), 0);
    EXPECT_EQ(d.format(), FormatCode::netcdf);
    EXPECT_EQ(d.storage_order(), static_cast<std::int32_t>(s.order));
    ASSERT_EQ(d.columns(), gdal.columns);
    ASSERT_EQ(d.rows(), gdal.rows);

    const auto placement = formats::grid_placement(input, d);
    ASSERT_TRUE(placement);
    const auto gt = placement->geotransform();
    const double cell = std::fabs(gdal.geotransform[1]);
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(gt[k], gdal.geotransform[k], 1e-6 * cell) << "geotransform " << k;

    TempDir dir;
    const std::string working = dir.file("work.tmp");
    const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    ASSERT_EQ(read_into_working_grid(input, working, d, window), 0);
    const auto bytes = read_file(working);
    std::vector<float> got(gdal.values.size());
    ASSERT_EQ(bytes.size(), 512 + got.size() * 4);
    std::memcpy(got.data(), bytes.data() + 512, got.size() * 4);  // north row first
    for (std::size_t k = 0; k < got.size(); ++k) {
        const float want = std::isnan(gdal.values[k]) ? kNullValue : static_cast<float>(gdal.values[k]);
        EXPECT_FLOAT_EQ(got[k], want) << "row " << k / gdal.columns + 1 << " (north first), column "
                                      << k % gdal.columns + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, NetcdfSample,
    ::testing::Values(Sample{"gmt_gridline.grd", StorageOrder::rows_from_south_west},
                      Sample{"gmt_pixel.nc", StorageOrder::rows_from_south_west},
                      Sample{"gmt_packed.nc", StorageOrder::rows_from_south_west},
                      Sample{"gmt_netcdf4.nc", StorageOrder::rows_from_south_west},
                      Sample{"cf_north_first.nc", StorageOrder::rows_from_north_west},
                      Sample{"cf_two_variables.nc", StorageOrder::rows_from_south_west},
                      Sample{"cf_two_variables.nc?Band2", StorageOrder::rows_from_south_west}),
    [](const auto& info) {
        std::string name = info.param.grid;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

}  // namespace
}  // namespace gridlib
