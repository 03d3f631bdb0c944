// ER Mapper ".ers" header reading: geometry from the registration cell,
// geographic angles, band names, null values, cell types and refusals.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::formats {
namespace {


// The descriptor after reading header text; null_on_entry stands for the
// value the caller's null entry holds when the reader starts.
HeaderResult read_ers(const std::string& text, float null_on_entry = 7.0f) {
    return read_header(FormatCode::er_mapper, text,
                       [&](GridDescriptor& g) { g.view().null_value() = null_on_entry; });
}

// A header laid out as ER Mapper writes it, tabs and all; `extra` goes into
// the raster block and `registration` after the registration coordinates.
std::string header(const std::string& extra = "", const std::string& registration = "",
                   const std::string& coordinates = "\t\t\tEastings\t= 5000\n\t\t\tNorthings\t= 9000\n") {
    return "DatasetHeader Begin\n"
           "\tVersion\t= \"6.0\"\n"
           "\tRasterInfo Begin\n"
           "\t\tCellType\t= IEEE4ByteReal\n"
           "\t\tNrOfLines\t= 50\n"
           "\t\tNrOfCellsPerLine\t= 100\n"
           "\t\tCellInfo Begin\n"
           "\t\t\tXdimension\t= 10\n"
           "\t\t\tYdimension\t= 10\n"
           "\t\tCellInfo End\n"
           "\t\tRegistrationCoord Begin\n" +
           coordinates + "\t\tRegistrationCoord End\n" + registration + extra +
           "\tRasterInfo End\n"
           "DatasetHeader End\n";
}

const std::string kCellZero = "\t\tRegistrationCellX\t= 0.0\n\t\tRegistrationCellY\t= 0.0\n";

TEST(ErMapperHeader, RegistrationCellPlacesTheGrid) {
    auto r = read_ers(header("", kCellZero));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 100);
    EXPECT_EQ(d.rows(), 50);
    EXPECT_FLOAT_EQ(d.west_x(), 5000);
    EXPECT_FLOAT_EQ(d.east_x(), 5990);
    EXPECT_FLOAT_EQ(d.south_y(), 8500);
    EXPECT_FLOAT_EQ(d.north_y(), 8990);
    EXPECT_EQ(d.storage_order(), 1);
    EXPECT_EQ(d.byte_order(), 1);  // most significant byte first unless stated
    EXPECT_FLOAT_EQ(d.null_value(), 7.0f);  // no null line: the caller's value stays

    auto half = read_ers(header("", "\t\tRegistrationCellX\t= 0.0\n\t\tRegistrationCellY\t= 0.5\n"));
    ASSERT_EQ(half.status, 0);
    EXPECT_FLOAT_EQ(half.d().south_y(), 8505);
    EXPECT_EQ(half.d().storage_order(), -2);

    auto shifted = read_ers(header("", "\t\tOriginCellX\t= 2\n\t\tOriginCellY\t= 0\n"));
    ASSERT_EQ(shifted.status, 0);
    EXPECT_FLOAT_EQ(shifted.d().west_x(), 4980);
    EXPECT_EQ(shifted.d().storage_order(), 1);

    auto none = read_ers(header());
    ASSERT_EQ(none.status, 0);
    EXPECT_FLOAT_EQ(none.d().south_y(), 8500);
    EXPECT_EQ(none.d().storage_order(), -2);

    // One cell coordinate stated alone leaves the other at 0 (it used to
    // count as -99999 cells).
    auto one = read_ers(header("", "\t\tRegistrationCellX\t= 1\n"));
    EXPECT_FLOAT_EQ(one.d().west_x(), 4990);
    EXPECT_FLOAT_EQ(one.d().south_y(), 8500);
}

TEST(ErMapperHeader, ByteOrderAndHeaderOffset) {
    auto lsb = read_ers(header("\t\tByteOrder\t= LSBFirst\n\t\tHeaderOffset\t= 512\n"));
    ASSERT_EQ(lsb.status, 0);
    EXPECT_EQ(lsb.d().byte_order(), 0);
    EXPECT_EQ(lsb.d().data_offset(), 512);
}

TEST(ErMapperHeader, NullValueForms) {
    EXPECT_FLOAT_EQ(read_ers(header("\t\tNullCellValue\t= -1.0e+75\n")).d().null_value(), kNullValue);
    EXPECT_FLOAT_EQ(read_ers(header("\t\tNullCellValue\t= -1.0e+33\n")).d().null_value(), kNullValue);
    EXPECT_FLOAT_EQ(read_ers(header("\t\tNullCellValue\t= -9999\n")).d().null_value(), -9999.0f);
    EXPECT_FLOAT_EQ(read_ers(header("\t\tNullCellValue\t= 3.5\n")).d().null_value(), 3.5f);

    // 4-byte integers are read in thousandths, and so is their null value.
    auto ints = read_ers(header("\t\tCellType\t= Signed32BitInteger\n\t\tNullCellValue\t= -9999\n"));
    ASSERT_EQ(ints.status, 0);
    EXPECT_EQ(ints.d().value_type(), 1);
    EXPECT_FLOAT_EQ(ints.d().null_value(), -9.999f);
}

TEST(ErMapperHeader, CellTypes) {
    // Integer types keep their sign: Signed8, Unsigned16 and Unsigned32 have codes of their own.
    const std::pair<const char*, int> cases[] = {
        {"IEEE8ByteReal", 4},        {"Unsigned8BitInteger", 3},  {"Signed8BitInteger", 6},
        {"Signed16BitInteger", 2},   {"Unsigned16BitInteger", 5}, {"Signed32BitInteger", 1},
        {"Unsigned32BitInteger", 7}, {"IEEE4ByteReal", 0}};
    for (const auto& [name, type] : cases) {
        // The later cell-type line overrides the standard one of the template.
        auto r = read_ers(header(std::string("\t\tCellType\t= ") + name + "\n"));
        EXPECT_EQ(r.d().value_type(), type) << name;
    }
}

TEST(ErMapperHeader, GeographicAngles) {
    const std::string ll = "\t\tCoordinateType\t= LL\n";
    const std::string angles = "\t\t\tLongitude\t= 151:12:36\n\t\t\tLatitude\t= -33:52:30.0\n";
    auto r = read_ers(ll + header("", kCellZero, angles));
    ASSERT_EQ(r.status, 0);
    EXPECT_NEAR(r.d().west_x(), 151.21, 1e-4);
    // South edge: the stated latitude less 50 rows of 10 units.
    EXPECT_NEAR(r.d().south_y(), -33.875 - 500, 1e-3);

    // Plain decimal degrees, and a negative angle under one degree.
    auto dec = read_ers(ll + header("", kCellZero, "\tLongitude = 151.25\n\tLatitude = -0:30:00\n"));
    ASSERT_EQ(dec.status, 0);
    EXPECT_NEAR(dec.d().west_x(), 151.25, 1e-4);
    EXPECT_NEAR(dec.d().south_y(), -0.5 - 500, 1e-3);

    // Degrees and minutes only.
    auto dm = read_ers(ll + header("", kCellZero, "\tLongitude = 10:30\n\tLatitude = 1:0:36\n"));
    EXPECT_NEAR(dm.d().west_x(), 10.5, 1e-5);
    EXPECT_NEAR(dm.d().south_y(), 1.01 - 500, 1e-3);

    // Without the coordinate type the angle lines are not coordinates, and
    // the header lacks two of its keywords.
    EXPECT_EQ(read_ers(header("", kCellZero, angles)).status, -2005);
    // Only the exact spelling of the coordinate-type line counts.
    EXPECT_EQ(read_ers("\tCoordinateType  =  LL\n" + header("", kCellZero, angles)).status, -2005);
    auto latlong = read_ers("\tCoordinateType = LATLONG\n" + header("", kCellZero, angles));
    EXPECT_EQ(latlong.status, 0);
}

TEST(ErMapperHeader, BandCountAndNames) {
    auto defaults = read_ers(header("\t\tNrOfBands\t= 12\n"));
    ASSERT_EQ(defaults.status, 0);
    auto d = defaults.d();
    EXPECT_EQ(d.band_count(), 12);
    EXPECT_EQ(d.selected_band(), 1);
    EXPECT_EQ(d.band_name(0), "Band  1         ");
    EXPECT_EQ(d.band_name(11), "Band 12         ");

    auto named = read_ers(header("\t\tNrOfBands\t= 3\n"
                                 "\t\tBandId Begin\n\t\t\tValue\t= \"Red band\"\n\t\tBandId End\n"
                                 "\t\tBandId Begin\n\t\t\tValue\t= \"nir\"\n\t\tBandId End\n"));
    ASSERT_EQ(named.status, 0);
    d = named.d();
    EXPECT_EQ(d.band_name(0), "RED BAND        ");
    EXPECT_EQ(d.band_name(1), "NIR             ");
    EXPECT_EQ(d.band_name(2), "Band  3         ");

    // The descriptor holds 16 names: more bands, or none, are refused.
    EXPECT_EQ(read_ers(header("\t\tNrOfBands\t= 17\n")).status, -2021);
    EXPECT_EQ(read_ers(header("\t\tNrOfBands\t= 0\n")).status, -2021);
    std::string blocks;
    for (int k = 0; k < 17; ++k) blocks += "\t\tBandId Begin\n\t\t\tValue = \"b\"\n\t\tBandId End\n";
    EXPECT_EQ(read_ers(header(blocks)).status, -2021);
}

TEST(ErMapperHeader, BlocksThatEndOrHideTheHeader) {
    // Coordinates inside a warp-control block are not the grid's.
    auto warp = read_ers(header("\t\tWarpControl Begin\n\t\t\tEastings = 1\n\t\t\tNrOfLines = 3\n"
                                "\t\tWarpControl End\n"));
    ASSERT_EQ(warp.status, 0);
    EXPECT_EQ(warp.d().rows(), 50);
    EXPECT_FLOAT_EQ(warp.d().west_x(), 5000);

    // An empty line ends the header before its keywords.
    EXPECT_EQ(read_ers("DatasetHeader Begin\n\tCellType = IEEE4ByteReal\n\n" + header()).status, -2005);
    EXPECT_EQ(read_ers("").status, -2005);
    // Lines after the header's end are not read.
    EXPECT_EQ(read_ers(header() + "NrOfLines = 3\n").d().rows(), 50);
}

TEST(ErMapperHeader, RefusesCountsThatAreNotPositive) {
    std::string h = header();
    h.replace(h.find("= 50"), 4, "= 0");
    EXPECT_EQ(read_ers(h).status, -2019);
    h = header();
    h.replace(h.find("= 100"), 5, "= -4");
    EXPECT_EQ(read_ers(h).status, -2019);
}

}  // namespace
}  // namespace gridlib::formats
