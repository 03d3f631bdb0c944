// The shading controls: a vertical exaggeration, and slopes in metres for
// grids whose header says they lie in longitude and latitude.
#include "run_support.h"

#include "support/gdal_info.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

constexpr int kSide = 9;
// Every value in the lowest colour bin: a pixel shows its light alone.
const std::vector<std::string> kOneColour = {"-Hlin", "-m10000", "-M20000"};

// A dome with a ridge: slopes in every direction, gentle and steep.
std::vector<double> heights(double scale) {
    std::vector<double> out;
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c)
            out.push_back(scale * (400 - 9 * ((r - 4) * (r - 4) + (c - 3) * (c - 3)) + 25 * (c == 6)));
    return out;
}

// The 24-bit pixels of a shaded conversion of grid in dir.
std::vector<std::uint8_t> shaded(const TempDir& dir, const std::string& grid, const std::string& light,
                                 std::string* out = nullptr) {
    std::vector<std::string> arguments = {grid, grid + ".bmp", light};
    arguments.insert(arguments.end(), kOneColour.begin(), kOneColour.end());
    const RunResult r = run_rastrify(dir.path(), arguments);
    EXPECT_EQ(r.status, 0) << grid << r.err;
    if (out) *out = r.out;
    const auto image = read_bmp(dir.file(grid + ".bmp"));
    return image ? image->bytes : std::vector<std::uint8_t>{};
}

TEST(ReliefScale, AnExaggerationOfTwoShadesLikeDoubledHeights) {
    TempDir dir;
    write_file(dir.file("plain.asc"), esri_grid(kSide, kSide, heights(1)));
    write_file(dir.file("doubled.asc"), esri_grid(kSide, kSide, heights(2)));
    const auto exaggerated = shaded(dir, "plain.asc", "-S300,35,2");
    EXPECT_EQ(exaggerated, shaded(dir, "doubled.asc", "-S300,35"));
    EXPECT_NE(exaggerated, shaded(dir, "plain.asc", "-S300,35"));
    // A factor of 1 is the relief as before; an empty one is passed over.
    EXPECT_EQ(shaded(dir, "plain.asc", "-S300,35,1"), shaded(dir, "plain.asc", "-S300,35,"));
    EXPECT_EQ(shaded(dir, "plain.asc", "-S300,35,1"), shaded(dir, "plain.asc", "-S300,35"));
}

// An ER Mapper grid of 32-bit reals (most significant byte first, ER
// Mapper's default) in longitude and latitude, its north-western corner at
// 10 E, north_edge N.
void write_ers(const TempDir& dir, const std::string& name, const std::vector<double>& values, double column_degrees,
               double row_degrees, double north_edge) {
    std::string data;
    for (const double v : values) {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(v));
        for (int shift = 24; shift >= 0; shift -= 8) data.push_back(static_cast<char>(bits >> shift & 0xff));
    }
    write_file(dir.file(name), data);
    write_file(dir.file(name + ".ers"),
               "DatasetHeader Begin\n\tVersion\t= \"6.0\"\n\tCoordinateSpace Begin\n\t\tDatum\t= \"WGS84\"\n"
               "\t\tProjection\t= \"GEODETIC\"\n\t\tCoordinateType\t= LL\n\tCoordinateSpace End\n"
               "\tRasterInfo Begin\n\t\tCellType\t= IEEE4ByteReal\n\t\tNrOfLines\t= " +
                   std::to_string(kSide) + "\n\t\tNrOfCellsPerLine\t= " + std::to_string(kSide) +
                   "\n\t\tCellInfo Begin\n\t\t\tXdimension\t= " + std::to_string(column_degrees) +
                   "\n\t\t\tYdimension\t= " + std::to_string(row_degrees) +
                   "\n\t\tCellInfo End\n\t\tRegistrationCoord Begin\n\t\t\tLongitude\t= 10\n\t\t\tLatitude\t= " +
                   std::to_string(north_edge) + "\n\t\tRegistrationCoord End\n\tRasterInfo End\nDatasetHeader End\n");
}

// A degree of latitude counts 111120 m; at 60 degrees north a degree of
// longitude is half that, so cells of 0.002 by 0.001 degrees there are
// squares of 111.12 m.
TEST(ReliefScale, AGridInDegreesShadesLikeTheSameGridInMetres) {
    TempDir dir;
    std::string metres_grid = esri_grid(kSide, kSide, heights(1));
    metres_grid.replace(metres_grid.find("cellsize 10"), 11, "cellsize 111.12");
    write_file(dir.file("metres.asc"), metres_grid);
    std::string said;
    const auto in_metres = shaded(dir, "metres.asc", "-S", &said);
    EXPECT_EQ(said.find("degrees"), std::string::npos);

    write_ers(dir, "north", heights(1), 0.002, 0.001, 60.0045);
    EXPECT_EQ(shaded(dir, "north.ers", "-S", &said), in_metres);
    EXPECT_NE(said.find("\n  The grid is in degrees: the slopes take 111120 m a degree, x times the cosine of "
                        "latitude 60.000\n"),
              std::string::npos)
        << said;
    // Read as metres, cells of a thousandth make cliffs of every slope.
    write_file(dir.file("flat.asc"), esri_grid(kSide, kSide, heights(1)));
    EXPECT_NE(shaded(dir, "north.ers", "-S"), shaded(dir, "flat.asc", "-S"));

    // A GeoTIFF and a netCDF grid in longitude and latitude, as GDAL writes
    // them, near the equator: square cells of 0.001 degrees, 111.12 m.
    if (!gridlib::testing::have_gdalinfo()) GTEST_SKIP() << "no GDAL";
    std::string degrees_grid = esri_grid(kSide, kSide, heights(1));
    degrees_grid.replace(degrees_grid.find("xllcorner 1000\nyllcorner 2000\ncellsize 10"), 41,
                         "xllcorner 10\nyllcorner 0\ncellsize 0.001");
    write_file(dir.file("degrees.asc"), degrees_grid);
    for (const std::string kind : {"GTiff", "netCDF"}) {
        const std::string name = kind == "GTiff" ? "geo.tif" : "geo.nc";
        ASSERT_EQ(std::system(("gdal_translate -q -a_srs EPSG:4326 -of " + kind + " '" + dir.file("degrees.asc") +
                               "' '" + dir.file(name) + "'")
                                  .c_str()),
                  0);
        EXPECT_EQ(shaded(dir, name, "-S", &said), in_metres) << name;
        EXPECT_NE(said.find(" The grid is in degrees"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace rastrify::testing
