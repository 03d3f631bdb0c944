// PCIDSK headers built field by field: presets, interleave words, where the
// image data begin, channel headers as band names, and the georeferencing
// found through the segment pointer table.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace gridlib::formats {
namespace {

std::string right(long v, std::size_t width = 8) {
    const std::string s = std::to_string(v);
    return std::string(width - s.size(), ' ') + s;
}

// A PCIDSK file of columns x rows cells of 10 x 20: its file header, to which
// fields and blocks (numbered from 1) are added.
struct Pcidsk {
    Pcidsk(int columns, int rows, int channels, std::string_view interleave = "BAND") {
        put(0, "PCIDSK  ").put(360, interleave).put(376, right(channels)).put(384, right(columns));
        put(392, right(rows)).put(408, "10.0").put(424, "20.0");
    }
    Pcidsk& put(std::size_t at, std::string_view text) {
        if (bytes.size() < at + text.size()) bytes.resize(at + text.size(), ' ');
        bytes.replace(at, text.size(), text);
        return *this;
    }
    Pcidsk& block(long b, std::string_view text) { return put(static_cast<std::size_t>(b - 1) * 512, text); }
    Pcidsk& channel_headers(int first_block, int blocks) { return put(336, right(first_block, 16)).put(352, right(blocks)); }
    Pcidsk& segment_table(int first_block, int blocks) { return put(440, right(first_block, 16)).put(456, right(blocks)); }
    std::string bytes = std::string(512, ' ');
};

HeaderResult read_pcidsk(const Pcidsk& file, std::size_t band_name_length = 16) {
    testing::TempDir dir;
    testing::write_file(dir.file("image.pix"), file.bytes);
    HeaderResult r;
    r.g = GridDescriptor(band_name_length);
    mark_every_entry(r.g);
    auto d = r.d();
    auto opened = platform::File::open_read(dir.file("image.pix"));
    r.status = driver_for(FormatCode::pcidsk)->read_header(*opened, d);
    return r;
}

TEST(PcidskHeader, FieldsPresetsAndInterleaveWords) {
    auto r = read_pcidsk(Pcidsk(200, 100, 2, "PIXEL"));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 200);
    EXPECT_EQ(d.rows(), 100);
    EXPECT_EQ(d.band_count(), 2);
    EXPECT_EQ(d.selected_band(), 1);
    EXPECT_EQ(d.storage_order(), 1);
    EXPECT_EQ(d.byte_order(), 1);
    EXPECT_EQ(d.column_spacing(), 10.0f);
    EXPECT_EQ(d.row_spacing(), 20.0f);
    EXPECT_EQ(d.null_value(), 0.0f);
    EXPECT_EQ(d.data_offset(), 512) << "blank channel-header and table sizes";
    EXPECT_EQ(d.west_x(), kMarkedReal) << "without a table, no position";
    EXPECT_EQ(d.band_name(0), std::string(16, ' ')) << "without channel headers, a blank name";

    const std::pair<std::string_view, int> words[] = {
        {"PIXEL   ", 0}, {"LINE    ", 1}, {"BAND    ", 2}, {"FILE    ", 3}, {"MIXED   ", 2}, {"pixel   ", 2}};
    for (const auto& [word, code] : words) EXPECT_EQ(read_pcidsk(Pcidsk(4, 4, 1, word)).d().value_type(), code) << word;
}

TEST(PcidskHeader, ImageDataFollowTheChannelHeadersOrTheSegmentTable) {
    // Channel headers in blocks 2 to 5: the image begins with block 6.
    EXPECT_EQ(read_pcidsk(Pcidsk(4, 4, 2).channel_headers(2, 4)).d().data_offset(), 5 * 512);
    // A table of 64 blocks from block 8: the image begins after it, with block 72.
    EXPECT_EQ(read_pcidsk(Pcidsk(4, 4, 3).channel_headers(2, 6).segment_table(8, 64)).d().data_offset(), 71 * 512);
}

TEST(PcidskHeader, ChannelHeadersBecomeBandNamesWithinTheirLength) {
    Pcidsk file(4, 4, 3);
    file.channel_headers(3, 6);
    for (int k = 0; k < 3; ++k) {
        file.block(3 + 2 * k, "Channel " + std::to_string(k + 1) + " of the scene").block(4 + 2 * k, "second block");
    }
    auto cut = read_pcidsk(file, 16);
    EXPECT_EQ(cut.d().band_name(2), "Channel 3 of the");
    EXPECT_EQ(cut.d().band_name(3), std::string(16, ' ')) << "the next name is left alone";
    auto whole = read_pcidsk(file, 600);
    EXPECT_EQ(whole.d().band_name(2), "Channel 3 of the scene" + std::string(600 - 22, ' ')) << "the first block only";

    auto many = read_pcidsk(Pcidsk(4, 4, 17).channel_headers(2, 34).block(2, "Channel 1"));
    EXPECT_EQ(many.status, GRIDLIB_BAD_BAND_COUNT);
    EXPECT_EQ(many.d().band_name(0), std::string(16, ' '));
}

// 13 x 7 cells with a one-block table (16 pointers) at block 3 holding
// `pointer` at `index`, and georeferencing data in block 12, after the
// two-block segment header of a segment starting at block 10.
Pcidsk georeferenced(std::string_view state, long first_block, std::size_t index, std::string_view kind,
                     std::size_t data_size = 1668) {
    Pcidsk file(13, 7, 1);
    file.segment_table(3, 1).block(3, std::string(512, ' '));
    file.put(2 * 512 + index * 32, std::string(state) + "150GEOref  " + right(first_block, 11) + right(4, 9));
    std::string data(1668, ' ');
    data.replace(0, kind.size(), kind);
    data.replace(212, 25, "   1.0005000000000000D+03");        // the first x coefficient
    data.replace(212 + 55 * 26, 25, "   2.1400000000000000D+03");  // the first y coefficient
    return file.block(12, data.substr(0, data_size));
}

TEST(PcidskHeader, LockedGeoreferencingIsFoundAsTheTablesLastPointer) {
    auto r = read_pcidsk(georeferenced("L", 10, 15, "POLYNOMIAL      PIXEL").put(2 * 512, "A150 an active segment"));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.west_x(), 1000.5f);
    EXPECT_EQ(d.east_x(), 1120.5f);
    EXPECT_EQ(d.north_y(), 2140.0f);
    EXPECT_EQ(d.south_y(), 2020.0f);  // the first line is the northern one
    EXPECT_EQ(d.data_min(), 0.0f);
}

TEST(PcidskHeader, GeoreferencingMissingOrOfAnotherKind) {
    const std::pair<Pcidsk, Status> cases[] = {
        {georeferenced("A", 10, 0, "POLYNOMIAL      PIXEL"), GRIDLIB_PCIDSK_NO_GEOREFERENCING},  // as GDAL writes it
        {georeferenced("L", 0, 0, "POLYNOMIAL      PIXEL"), GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {georeferenced("L", 10, 0, "POLYNOMIAL      PIXEL", 1600), GRIDLIB_PCIDSK_NO_GEOREFERENCING},  // cut short
        {georeferenced("L", 10, 0, "PROJECTION      PIXEL"), GRIDLIB_PCIDSK_OTHER_GEOREFERENCING},
        {georeferenced("L", 10, 0, "POLYNOMIAL      METRE"), GRIDLIB_PCIDSK_OTHER_GEOREFERENCING},
    };
    for (const auto& [file, status] : cases) {
        auto r = read_pcidsk(file);
        EXPECT_EQ(r.status, status) << file.bytes.substr(1024, 32);
        EXPECT_EQ(r.d().columns(), 13);
        EXPECT_EQ(r.d().west_x(), kMarkedReal);
    }
}

}  // namespace
}  // namespace gridlib::formats
