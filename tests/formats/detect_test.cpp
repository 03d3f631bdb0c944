// Opening a grid: name checks, recognition by extension and by first bytes,
// the fallback code, the ".hdr" file of BIL/BIP rasters and the closing work.
#include "formats/driver.h"
#include "gridlib.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

namespace gridlib::formats {
namespace {

using gridlib::testing::ByteWriter;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

struct Opened {
    std::int32_t status = 0;
    GridDescriptor g{16};
    DescriptorView d() { return g.view(); }
};

// GRDRDH on a name text, with marker values everywhere, so that what the
// call leaves shows.
Opened open_grid(std::string_view name, std::int32_t fallback = 0) {
    Opened r;
    r.g.ihead.fill(-7);
    r.g.rhead.fill(-7.5f);
    auto d = r.d();
    d.format_code() = fallback;
    d.null_value() = 3.25f;
    const auto name_length = static_cast<std::int32_t>(name.size());
    const auto band_name_length = static_cast<std::int32_t>(r.g.band_name_length);
    GRDRDH(name.data(), &name_length, r.g.ihead.data(), r.g.rhead.data(), r.g.band_names.data(), &band_name_length,
           &r.status);
    return r;
}

// The content tests' verdict on these first bytes, padded with zeros.
std::int32_t content_format(ByteWriter bytes, GridDescriptor& g) {
    bytes.pad_to(kFirstBytesSize);
    auto d = g.view();
    return format_by_content(std::span<const std::byte, kFirstBytesSize>(bytes.bytes().data(), kFirstBytesSize), d);
}
std::int32_t content_format(ByteWriter bytes) {
    GridDescriptor g;
    return content_format(std::move(bytes), g);
}

// An ESRI ASCII grid that no content test recognises.
const std::string kUnrecognised =
    "xllcorner 0\nyllcorner 0\ncellsize 1\nnrows 2\nncols 3\n1 2 3\n4 5 6\n" + std::string(80, ' ');

TEST(FormatDetection, ExtensionsMatchOnlyTheirExactSpellings) {
    const std::pair<std::string_view, int> cases[] = {
        {"g.ers", 1}, {"g.ERS", 1}, {"g.gxf", 3}, {"g.GXF", 3}, {"g.pix", 4}, {"g.PIX", 4},
        {"g.bil", 5}, {"g.BIL", 5}, {"g.bip", 6}, {"g.BIP", 6}, {"g.bgd", 8}, {"g.BGD", 8},
        {"g.asc", 9}, {"g.ASC", 9}, {"d/g.arc", 9}, {"g.ARC", 9},
    };
    for (const auto& [name, format] : cases) EXPECT_EQ(format_by_extension(name), FormatCode(format)) << name;
    for (std::string_view none : {"grid.Asc", "grid.asc.bak", "grid.hdr", ".asc"})
        EXPECT_EQ(format_by_extension(none), std::nullopt) << none;
}

TEST(FormatDetection, SignaturesAndPlausibleNumbers) {
    const std::pair<ByteWriter, int> cases[] = {
        {ByteWriter().text("# a comment\n#POINTS\n"), 3},
        {ByteWriter().text("PCIDSK  "), 4},
        {ByteWriter().text("$$GRID$$"), 7},
        {ByteWriter().text("$$BGD"), 8},
        {ByteWriter().text("NCOLS 100\n"), 9},
        {ByteWriter().text("ncols 100\n"), 9},
        {ByteWriter().f32(100).f32(50).f32(10).f32(0).f32(0).f32(0), 10},  // zero real at 20
        {ByteWriter().text("TOOL"), 11},
        {ByteWriter().text("K").zeros(1).f32(10).f32(20), 12},
        {ByteWriter().text("DSBB"), 13},
        {ByteWriter().text("DSRB"), 14},
        {ByteWriter().text("PCIDSK"), 0},  // its two blanks belong to the signature
        {ByteWriter().text("Ncols 100\nNrows 50\nxllcorner 0\n"), 0},
        {ByteWriter().i16(4).i16(0).i32(3), 0},   // byte-order word 0 to 2 only
        {ByteWriter().i16(-2).i16(0).i32(0), 0},  // element size byte is signed
        // Passes both the 512-byte and the 24-byte header test: the earlier wins.
        {ByteWriter().i16(2).i16(0x4000).i32(1).f32(1).f32(0).f32(0).f32(0), 2},
    };
    for (const auto& [bytes, format] : cases) EXPECT_EQ(content_format(bytes), format);
    EXPECT_NE(content_format(ByteWriter().text("K").zeros(1).f32(10).f32(0)), 12);
}

TEST(FormatDetection, VariantsOf512ByteGridAndTheWordsThatTestLeaves) {
    GridDescriptor g;
    auto d = g.view();
    d.columns() = d.rows() = 99;
    EXPECT_EQ(content_format(ByteWriter().i16(4).i16(0).i32(2).i32(300).i32(200), g), 2);
    EXPECT_EQ(d.band_count(), 0);  // header variant
    EXPECT_EQ(d.columns(), 0);
    EXPECT_EQ(d.rows(), 0);

    ByteWriter framed;  // big-endian markers of 28 around the first record
    framed.big_endian(true).i32(28).i32(100).i32(50).f32(0).f32(1).f32(0).f32(1).f32(-1e32f).i32(28);
    d.byte_order() = 0;
    EXPECT_EQ(content_format(framed, g), 2);
    EXPECT_EQ(d.band_count(), 1);
    EXPECT_EQ(d.byte_order(), 1);

    // Nothing holds: the element-size byte and the byte-order word stay.
    EXPECT_EQ(content_format(ByteWriter().i16(-3).i16(0).i32(77).pad_to(32).i32(1), g), 0);
    EXPECT_EQ(d.columns(), -3);
    EXPECT_EQ(d.rows(), 77);
}

TEST(GridOpening, RefusesNamesThatCannotBeFiles) {
    EXPECT_EQ(open_grid(std::string_view("\0abc", 4)).status, -1000);
    for (std::string_view name : {"a", "a      ", "", "   "}) EXPECT_EQ(open_grid(name).status, -1001) << name;
    TempDir dir;
    EXPECT_EQ(open_grid(dir.file("missing.asc")).status, -1002);
    EXPECT_EQ(open_grid(dir.path()).status, -1002);  // a directory is not a grid file

    // A name ends at its NUL or last non-blank, and may be longer than 256.
    const std::string long_name = dir.file(std::string(250, 'n') + ".asc");
    write_file(long_name, "ncols 3\nnrows 2\n1 2 3\n");
    EXPECT_EQ(open_grid(long_name + std::string(300, ' ')).status, 0);
    EXPECT_EQ(open_grid(long_name + std::string("\0junk", 5)).d().columns(), 3);
}

TEST(GridOpening, ExtensionFirstThenTheFirst120Bytes) {
    TempDir dir;
    write_file(dir.file("grid.asc"), "#GRID\n");  // GXF-looking bytes, read as ESRI ASCII
    EXPECT_EQ(open_grid(dir.file("grid.asc")).d().format_code(), 9);

    const std::string text = "ncols 3\nnrows 2\ncellsize 1\n1 2 3\n4 5 6\n" + std::string(100, ' ');
    write_file(dir.file("short.Asc"), text.substr(0, 119));  // mixed case: content test
    write_file(dir.file("x.asc"), text.substr(0, 119));
    write_file(dir.file("full.Asc"), text.substr(0, 120));
    EXPECT_EQ(open_grid(dir.file("short.Asc")).status, -1006);
    EXPECT_EQ(open_grid(dir.file("x.asc")).status, 0);
    EXPECT_EQ(open_grid(dir.file("full.Asc")).d().format_code(), 9);

    // A four-character name has no extension: ".asc" holding "#" is GXF.
    write_file(dir.file(".asc"), "#GRID\n" + std::string(200, ' '));
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    const auto four = open_grid(".asc");
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(four.g.ihead[0], 3);

    // Through read_grid_header the binary layouts are recognised the same way; only
    // the code is checked here, their readers judge the rest.
    write_file(dir.file("grid.dat"), ByteWriter().text("DSRB").pad_to(600).bytes());
    EXPECT_EQ(open_grid(dir.file("grid.dat")).d().format_code(), 14);
}

TEST(GridOpening, FallbackCodeServesUnrecognisedFiles) {
    TempDir dir;
    const std::string path = dir.file("grid.txt");
    write_file(path, kUnrecognised);
    EXPECT_EQ(open_grid(path).status, -1005);

    auto esri = open_grid(path, 9);  // the caller knows better
    EXPECT_EQ(esri.status, 0);
    EXPECT_EQ(esri.d().columns(), 3);
    EXPECT_EQ(esri.d().data_offset(), 5);

    // A code without a reader: presets applied, status 0, the words of the
    // 512-byte header test left in the size entries.
    auto other = open_grid(path, 77);
    EXPECT_EQ(other.status, 0);
    auto d = other.d();
    EXPECT_EQ(d.format_code(), 77);
    std::int32_t word = 0;
    std::memcpy(&word, kUnrecognised.data() + 4, 4);
    EXPECT_EQ(d.columns(), 'x');
    EXPECT_EQ(d.rows(), word);
    EXPECT_EQ(d.base(), 0.0f);
    EXPECT_EQ(d.scale_divisor(), 1.0f);
    for (float v : {d.data_min(), d.data_max(), d.mean(), d.std_dev(), d.colour_min(), d.colour_max()})
        EXPECT_EQ(v, 3.25f);  // the null value passed in
    EXPECT_EQ(d.value_type(), -7);
}

TEST(GridOpening, BilAndBipNeedTheirHdrFile) {
    TempDir dir;
    write_file(dir.file("scene.bil"), std::string(64, '\0'));
    write_file(dir.file("scene.BIP"), std::string(64, '\0'));
    EXPECT_EQ(open_grid(dir.file("scene.bil")).status, -2001);
    EXPECT_EQ(open_grid(dir.file("scene.BIP")).status, -2001);
    write_file(dir.file("scene.hdr"), "NROWS 2\nNCOLS 3\n");
    auto bil = open_grid(dir.file("scene.bil"));
    EXPECT_NE(bil.status, -2001);
    EXPECT_EQ(bil.d().format_code(), 5);
}

TEST(GridOpening, ClosingWorkRunsAfterSuccessAndFailure) {
    TempDir dir;
    write_file(dir.file("ok.asc"), "ncols 4\nnrows 3\nxllcorner 10\nyllcorner 20\ncellsize 5\n1 2 3 4\n");
    write_file(dir.file("cut.asc"), "ncols 4\nnrows 3\nxllcorner 10\n");
    const Opened calls[] = {open_grid(dir.file("ok.asc")), open_grid(dir.file("cut.asc")),
                            open_grid(dir.file("none.asc")), open_grid("a")};
    const std::int32_t statuses[] = {0, -2030, -1002, -1001};
    const std::int32_t columns[] = {4, 4, -7, -7};
    for (int k = 0; k < 4; ++k) {
        Opened r = calls[k];
        auto d = r.d();
        EXPECT_EQ(r.status, statuses[k]);
        EXPECT_EQ(d.columns_read(), columns[k]);
        EXPECT_EQ(d.rows_read(), d.rows());
        for (int w = 0; w < 4; ++w) EXPECT_EQ(d.window_word(w), 0);
        const float geometry[] = {d.west_x(),  d.east_x(),         d.south_y(),
                                  d.north_y(), d.column_spacing(), d.row_spacing()};
        for (int g = 0; g < 6; ++g) EXPECT_EQ(d.input_geometry(g), geometry[g]) << k << " " << g;
    }
    EXPECT_EQ(calls[0].g.rhead[17], 25.0f);  // east, copied
}

}  // namespace
}  // namespace gridlib::formats
