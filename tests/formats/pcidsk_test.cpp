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

// A PCIDSK file: a blank file header with fields written in, and blocks
// (numbered from 1) placed after it.
class Pcidsk {
public:
    Pcidsk() { field(0, "PCIDSK  "); }
    Pcidsk& field(std::size_t at, std::string_view text) { return put(at, text); }
    Pcidsk& block(std::int64_t b, std::string_view text) { return put(static_cast<std::size_t>((b - 1) * 512), text); }
    // Image size, channels and interleaving; cells of 10 x 20.
    Pcidsk& image(int columns, int rows, int channels, std::string_view interleave = "BAND") {
        return field(360, interleave)
            .field(376, right(channels))
            .field(384, right(columns))
            .field(392, right(rows))
            .field(408, "10.0")
            .field(424, "20.0");
    }
    Pcidsk& channel_headers(int first_block, int header_blocks) {
        return field(336, right(first_block, 16)).field(352, right(header_blocks));
    }
    Pcidsk& segment_table(int first_block, std::string_view blocks) {
        return field(440, right(first_block, 16)).field(456, blocks);
    }
    const std::string& bytes() const { return bytes_; }

    static std::string right(long v, std::size_t width = 8) {
        const std::string s = std::to_string(v);
        return std::string(width - s.size(), ' ') + s;
    }

private:
    Pcidsk& put(std::size_t at, std::string_view text) {
        if (bytes_.size() < at + text.size()) bytes_.resize(at + text.size(), ' ');
        bytes_.replace(at, text.size(), text);
        return *this;
    }
    std::string bytes_ = std::string(512, ' ');
};

HeaderResult read_pcidsk(const Pcidsk& file, std::size_t band_name_length = 16) {
    testing::TempDir dir;
    const std::string path = dir.file("image.pix");
    testing::write_file(path, file.bytes());
    HeaderResult r;
    r.g = GridDescriptor(band_name_length);
    r.g.ihead.fill(-7);
    r.g.rhead.fill(-7.5f);
    auto d = r.d();
    auto opened = platform::File::open_read(path);
    r.status = pcidsk_driver.read_header(*opened, d);
    return r;
}

// A segment pointer: state and type ("L150": a locked georeferencing
// segment), name, first block (11 characters) and size in blocks (9).
std::string segment_pointer(std::string_view state_and_type, long first_block, long blocks) {
    return std::string(state_and_type) + "GEOref  " + Pcidsk::right(first_block, 11) + Pcidsk::right(blocks, 9);
}

// The georeferencing segment's data: its kind, then the first x and the
// first y coefficient fields of 26 characters.
std::string georeferencing(std::string_view kind, std::string_view x, std::string_view y) {
    std::string data(212 + 110 * 26, ' ');
    data.replace(0, kind.size(), kind);
    data.replace(212, x.size(), x);
    data.replace(212 + 55 * 26, y.size(), y);
    return data;
}

TEST(PcidskHeader, WithoutChannelHeadersOrTableTheImageFollowsTheFileHeader) {
    auto r = read_pcidsk(Pcidsk().image(200, 100, 2, "PIXEL"));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.columns(), 200);
    EXPECT_EQ(d.rows(), 100);
    EXPECT_EQ(d.band_count(), 2);
    EXPECT_EQ(d.selected_band(), 1);
    EXPECT_EQ(d.data_offset(), 512);
    EXPECT_EQ(d.value_type(), 0);  // pixel interleaving
    EXPECT_EQ(d.storage_order(), 1);
    EXPECT_EQ(d.byte_order(), 1);
    EXPECT_EQ(d.column_spacing(), 10.0f);
    EXPECT_EQ(d.row_spacing(), 20.0f);
    EXPECT_EQ(d.null_value(), 0.0f);
    EXPECT_EQ(d.west_x(), -7.5f) << "no table, no position";
    EXPECT_EQ(d.data_min(), -7.5f);
    EXPECT_EQ(d.band_name(0), std::string(16, ' '));
}

TEST(PcidskHeader, InterleaveWords) {
    const std::pair<std::string_view, int> cases[] = {
        {"PIXEL   ", 0}, {"LINE    ", 1}, {"BAND    ", 2}, {"FILE    ", 3}, {"MIXED   ", 2}, {"pixel   ", 2}};
    for (const auto& [word, code] : cases) {
        EXPECT_EQ(read_pcidsk(Pcidsk().image(4, 4, 1, word)).d().value_type(), code) << word;
    }
}

TEST(PcidskHeader, ImageDataFollowTheChannelHeadersOrTheSegmentTable) {
    // Channel headers in blocks 2 to 5: the image begins with block 6.
    EXPECT_EQ(read_pcidsk(Pcidsk().image(4, 4, 2).channel_headers(2, 4)).d().data_offset(), 5 * 512);
    // With a table of 64 blocks from block 8, the image begins with block 72,
    // after the table rather than within it.
    auto r = read_pcidsk(Pcidsk().image(4, 4, 3).channel_headers(2, 6).segment_table(8, Pcidsk::right(64)));
    EXPECT_EQ(r.d().data_offset(), 71 * 512);
}

TEST(PcidskHeader, ChannelHeadersBecomeBandNamesWithinTheirLength) {
    Pcidsk file;
    file.image(4, 4, 3).channel_headers(3, 6);
    for (int k = 0; k < 3; ++k) {
        file.block(3 + 2 * k, "Channel " + std::to_string(k + 1) + " of the scene, 8-bit")
            .block(4 + 2 * k, "second block");
    }
    auto shortened = read_pcidsk(file, 16);
    ASSERT_EQ(shortened.status, 0);
    EXPECT_EQ(shortened.d().band_name(2), "Channel 3 of the");
    EXPECT_EQ(shortened.d().band_name(3), std::string(16, ' ')) << "the next name is left alone";

    auto whole = read_pcidsk(file, 600);
    const std::string_view third = whole.d().band_name(2);
    EXPECT_TRUE(third.starts_with("Channel 3 of the scene, 8-bit "));
    EXPECT_EQ(third.find("second"), std::string_view::npos) << "only the first block is the name";
    EXPECT_EQ(third.find_last_not_of(' '), 28u);
}

TEST(PcidskHeader, MoreThanSixteenChannelsAreRefused) {
    auto r = read_pcidsk(Pcidsk().image(4, 4, 17).channel_headers(2, 34).block(2, "Channel 1"));
    EXPECT_EQ(r.status, GRIDLIB_BAD_BAND_COUNT);
    EXPECT_EQ(r.d().columns(), 4);
    EXPECT_EQ(r.d().band_name(0), std::string(16, ' '));
    EXPECT_EQ(read_pcidsk(Pcidsk().image(4, 4, 16)).status, 0);
}

// 13 x 7 cells of 10 x 20, a table of one block (16 pointers) at block 3.
Pcidsk georeferenced(std::string_view pointer, std::size_t index, std::string_view data, long segment_block = 10) {
    Pcidsk file;
    file.image(13, 7, 1).segment_table(3, Pcidsk::right(1));
    file.block(3, std::string(512, ' '));
    file.field(2 * 512 + index * 32, pointer);
    file.block(segment_block + 2, data);
    return file;
}

TEST(PcidskHeader, LockedGeoreferencingIsFoundAsTheTablesLastPointer) {
    const auto data = georeferencing("POLYNOMIAL      PIXEL", "   1.0005000000000000D+03", "   2.1400000000000000D+03");
    auto file = georeferenced(segment_pointer("L150", 10, 4), 15, data);
    file.field(2 * 512, segment_pointer("A150", 20, 4));  // an active segment is not the one
    auto r = read_pcidsk(file);
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.data_offset(), 3 * 512);
    EXPECT_EQ(d.west_x(), 1000.5f);
    EXPECT_EQ(d.east_x(), 1120.5f);
    EXPECT_EQ(d.north_y(), 2140.0f);
    EXPECT_EQ(d.south_y(), 2020.0f);  // the first line is the northern one
    EXPECT_EQ(d.data_min(), 0.0f);
    EXPECT_EQ(d.std_dev(), 0.0f);
}

TEST(PcidskHeader, GeoreferencingMissingOrOfAnotherKind) {
    const auto poly = georeferencing("POLYNOMIAL      PIXEL", "1", "2");
    const struct {
        const char* what;
        Pcidsk file;
        Status status;
    } cases[] = {
        {"only an active segment, as GDAL writes it", georeferenced(segment_pointer("A150", 10, 4), 0, poly),
         GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {"a segment starting at block 0", georeferenced(segment_pointer("L150", 0, 4), 0, poly),
         GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {"a segment of no blocks", georeferenced(segment_pointer("L150", 10, 0), 0, poly),
         GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {"a segment beyond the end of the file", georeferenced(segment_pointer("L150", 40, 4), 0, poly),
         GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {"a segment cut short before its y", georeferenced(segment_pointer("L150", 10, 4), 0, poly.substr(0, 1600)),
         GRIDLIB_PCIDSK_NO_GEOREFERENCING},
        {"a projection", georeferenced(segment_pointer("L150", 10, 4), 0, georeferencing("PROJECTION      PIXEL", "1", "2")),
         GRIDLIB_PCIDSK_OTHER_GEOREFERENCING},
        {"a polynomial in metres", georeferenced(segment_pointer("L150", 10, 4), 0, georeferencing("POLYNOMIAL      METRE", "1", "2")),
         GRIDLIB_PCIDSK_OTHER_GEOREFERENCING},
    };
    for (const auto& c : cases) {
        auto r = read_pcidsk(c.file);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.d().columns(), 13) << c.what;
        EXPECT_EQ(r.d().west_x(), -7.5f) << c.what;
    }
}

}  // namespace
}  // namespace gridlib::formats
