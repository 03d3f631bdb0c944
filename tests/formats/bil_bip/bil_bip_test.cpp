// BIL/BIP ".hdr" headers: keywords in any case, with trailing words, TABs,
// comments and empty lines; the presets; every refusal.
#include "formats/header_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace gridlib::formats {
namespace {

HeaderResult read_hdr(const std::string& text) { return read_header_over_marks(FormatCode::bil, text); }

TEST(BilBipHeader, KeywordsInAnyCaseWithTrailingWordsTabsCommentsAndEmptyLines) {
    // An empty line ends nothing: the map position after it is still read.
    auto r = read_hdr(
        "\n# written by hand\n; another comment\nncolsx 100\nNROWS\t5 rows\r\n\nnBands 3\nNBITS 16\n"
        "SKIPBYTES 64\n  XDIM 10\nydim\t\t10\nBYTEORDER M\nLAYOUT BIL\n\n\nULXMAP 1000\nULYMAP 2000 metres\n");
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 100);
    EXPECT_EQ(d.rows(), 5);
    EXPECT_EQ(d.band_count(), 3);
    EXPECT_EQ(d.value_type(), 16);  // bits per value
    EXPECT_EQ(d.data_offset(), 64);
    EXPECT_EQ(d.column_spacing(), 10.0f);
    EXPECT_EQ(d.west_x(), 1000.0f);
    EXPECT_EQ(d.east_x(), 1990.0f);
    EXPECT_EQ(d.north_y(), 2000.0f);
    EXPECT_EQ(d.south_y(), 1960.0f);
    EXPECT_EQ(d.null_value(), 0.0f);
    EXPECT_EQ(d.data_max(), 0.0f);
    EXPECT_EQ(d.std_dev(), 0.0f);
}

TEST(BilBipHeader, PresetsAndTheEntriesLeftAlone) {
    auto r = read_hdr("NCOLS 2\nNROWS 2\nNBANDS 1\nXDIM 1\nYDIM 1\n");
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.value_type(), 8);
    EXPECT_EQ(d.data_offset(), 0);
    EXPECT_EQ(d.selected_band(), kMarkedInteger);
    EXPECT_EQ(d.byte_order(), kMarkedInteger) << "the byte order is not the header's to say";
    EXPECT_EQ(d.west_x(), kMarkedReal);
    EXPECT_EQ(d.north_y(), kMarkedReal);
}

TEST(BilBipHeader, Refusals) {
    const std::string size = "NCOLS 3\nNROWS 2\n", cells = "XDIM 1\nYDIM 1\n", bands = "NBANDS 1\n";
    const std::pair<std::string, Status> cases[] = {
        {"", GRIDLIB_NO_USABLE_SIZE},
        {"NCOLS 3\nNROWS 0\n" + cells + bands, GRIDLIB_NO_USABLE_SIZE},
        {size + "XDIM 1\n" + bands, GRIDLIB_HDR_BAD_CELL_SIZE},
        {size + "XDIM 1\nYDIM -1\n" + bands, GRIDLIB_HDR_BAD_CELL_SIZE},
        {size + cells, GRIDLIB_BAD_BAND_COUNT},
        {size + cells + bands + "SKIPBYTES -1\n", GRIDLIB_HDR_NEGATIVE_SKIP},
    };
    for (const auto& [text, status] : cases) EXPECT_EQ(read_hdr(text).status, status) << text;
}

}  // namespace
}  // namespace gridlib::formats
