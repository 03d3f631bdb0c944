// Grids written by GDAL (Surfer 6, Surfer 7, ER Mapper with 4- and 8-byte
// reals and signed and unsigned 16-bit integers, ESRI ASCII), read through header and
// working grid, must hold the values GDAL reads from the same files. tools/make_gdal_samples.sh makes
// the samples and, for each, "<name>.expected.asc" with GDAL's values.
#include "grid/grid_reader.h"
#include "formats/grid_header.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::gdal_sample;
using gridlib::testing::read_file;
using gridlib::testing::read_text;

// An ESRI ASCII grid as GDAL writes it, north row first; dx and dy stand in
// for cellsize when the cells are not square.
struct Expected {
    int columns = 0, rows = 0;
    double x_corner = 0, y_corner = 0, dx = 0, dy = 0, nodata = 0;
    std::vector<double> values;
};

Expected read_expected(const std::string& path) {
    std::istringstream in(read_text(path));
    Expected e;
    // Keywords and their values, then the cells; the first number where a
    // keyword would be is the first cell.
    for (std::string token; in >> token;) {
        if (!std::isalpha(static_cast<unsigned char>(token[0]))) {
            e.values.push_back(std::stod(token));
            continue;
        }
        std::transform(token.begin(), token.end(), token.begin(), [](unsigned char c) { return std::tolower(c); });
        double v = 0;
        in >> v;
        if (token == "ncols") e.columns = static_cast<int>(v);
        else if (token == "nrows") e.rows = static_cast<int>(v);
        else if (token == "xllcorner") e.x_corner = v;
        else if (token == "yllcorner") e.y_corner = v;
        else if (token == "cellsize") e.dx = e.dy = v;
        else if (token == "dx") e.dx = v;
        else if (token == "dy") e.dy = v;
        else if (token == "nodata_value") e.nodata = v;
    }
    return e;
}

// The working grid's values, north row first.
std::vector<float> working_values(const std::string& path, int columns, int rows) {
    const auto bytes = read_file(path);
    std::vector<float> v(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    if (bytes.size() != 512 + v.size() * 4) return {};
    std::memcpy(v.data(), bytes.data() + 512, v.size() * 4);
    return v;
}

struct Sample {
    const char* file;
    const char* expected;
    FormatCode format;
    // Surfer states the centres of its edge cells; ER Mapper's coordinates
    // are read as cell corners, the south-west one of each cell.
    bool centred;
};

class GdalSample : public ::testing::TestWithParam<Sample> {};

TEST_P(GdalSample, HoldsTheValuesGdalReads) {
    const Sample& s = GetParam();
    const Expected e = read_expected(gdal_sample(s.expected));
    ASSERT_EQ(e.values.size(), static_cast<std::size_t>(e.columns * e.rows));

    GridDescriptor g;
    DescriptorView d = g.view();
    const std::string input = gdal_sample(s.file);
    ASSERT_EQ(read_grid_header(input, d), 0);
    EXPECT_EQ(d.format(), s.format);
    ASSERT_EQ(d.columns(), e.columns);
    ASSERT_EQ(d.rows(), e.rows);

    TempDir dir;
    const std::string working = dir.file("work.tmp");
    const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    ASSERT_EQ(read_into_working_grid(input, working, d, window), 0);

    const double half = s.centred ? 0.5 : 0.0;
    EXPECT_EQ(d.columns(), e.columns);
    EXPECT_EQ(d.rows(), e.rows);
    EXPECT_NEAR(d.column_spacing(), e.dx, 1e-4);
    EXPECT_NEAR(d.row_spacing(), e.dy, 1e-4);
    EXPECT_NEAR(d.west_x(), e.x_corner + half * e.dx, 1e-3);
    EXPECT_NEAR(d.south_y(), e.y_corner + half * e.dy, 1e-3);
    EXPECT_NEAR(d.east_x(), e.x_corner + (e.columns - 1 + half) * e.dx, 1e-3);
    EXPECT_NEAR(d.north_y(), e.y_corner + (e.rows - 1 + half) * e.dy, 1e-3);
    EXPECT_FLOAT_EQ(d.null_value(), kNullValue);

    const auto got = working_values(working, e.columns, e.rows);
    ASSERT_EQ(got.size(), e.values.size());
    float low = 1e32f, high = -1e32f;
    for (std::size_t k = 0; k < got.size(); ++k) {
        const bool null = e.values[k] == e.nodata;
        const float want = null ? kNullValue : static_cast<float>(e.values[k]);
        EXPECT_FLOAT_EQ(got[k], want) << s.file << " row " << k / e.columns + 1 << " (north first), column "
                                      << k % e.columns + 1;
        if (!null) low = std::min(low, want), high = std::max(high, want);
    }
    EXPECT_FLOAT_EQ(d.data_min(), low);
    EXPECT_FLOAT_EQ(d.data_max(), high);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GdalSample,
    ::testing::Values(Sample{"surfer6.grd", "surfer6.expected.asc", FormatCode::surfer6, true},
                      Sample{"surfer7.grd", "surfer7.expected.asc", FormatCode::surfer7, true},
                      Sample{"ers_float32.ers", "ers_float32.expected.asc", FormatCode::er_mapper, false},
                      Sample{"ers_float64.ers", "ers_float64.expected.asc", FormatCode::er_mapper, false},
                      Sample{"ers_int16.ers", "ers_int16.expected.asc", FormatCode::er_mapper, false},
                      Sample{"ers_uint16.ers", "ers_uint16.expected.asc", FormatCode::er_mapper, false},
                      // GDAL's ESRI ASCII of cells that are not square: dx and dy, no cellsize.
                      Sample{"ers_float32.expected.asc", "ers_float32.expected.asc", FormatCode::esri_ascii, false}),
    [](const auto& info) {
        std::string name = info.param.file;
        name.resize(name.rfind('.'));
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

}  // namespace
}  // namespace gridlib
