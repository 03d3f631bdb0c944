// Surfer 6 and Surfer 7 binary grid headers, the Surfer 7 section walk
// included: where the data start and which section chains are refused.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

namespace gridlib::formats {
namespace {

using gridlib::testing::ByteWriter;

HeaderResult read_with(FormatCode format, const std::vector<std::byte>& bytes) { return read_header(format, bytes); }

std::vector<std::byte> surfer6(std::int16_t columns, std::int16_t rows, std::size_t data_bytes) {
    ByteWriter w;
    w.text("DSBB").i16(columns).i16(rows).f64(0).f64(100).f64(-20).f64(20).f64(-5.5).f64(12.25);
    return w.zeros(data_bytes).bytes();
}

TEST(SurferHeader, Surfer6) {
    auto r = read_with(FormatCode::surfer6, surfer6(11, 5, 11 * 5 * 4));
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.data_offset(), 56);
    EXPECT_EQ(d.columns(), 11);
    EXPECT_EQ(d.rows(), 5);
    EXPECT_FLOAT_EQ(d.west_x(), 0);
    EXPECT_FLOAT_EQ(d.east_x(), 100);
    EXPECT_FLOAT_EQ(d.south_y(), -20);
    EXPECT_FLOAT_EQ(d.north_y(), 20);
    EXPECT_FLOAT_EQ(d.column_spacing(), 10);
    EXPECT_FLOAT_EQ(d.row_spacing(), 10);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(d.null_value()), 0x7EFFFFEEu);
    EXPECT_FLOAT_EQ(d.data_min(), -5.5f);
    EXPECT_FLOAT_EQ(d.data_max(), 12.25f);

    EXPECT_EQ(read_with(FormatCode::surfer6, surfer6(11, 5, 11 * 5 * 4 - 1)).status, -2018);
    EXPECT_EQ(read_with(FormatCode::surfer6, surfer6(11, 0, 64)).status, -2019);
    EXPECT_EQ(read_with(FormatCode::surfer6, surfer6(-3, 5, 64)).status, -2019);
    // A single column has no spacing to derive, and must not divide by zero.
    EXPECT_FLOAT_EQ(read_with(FormatCode::surfer6, surfer6(1, 5, 5 * 4)).d().column_spacing(), 0);
}

// Surfer 7 sections, assembled in any order.
struct Surfer7 {
    ByteWriter w;
    Surfer7& header(std::int32_t length = 4) {
        w.text("DSRB").i32(length).i32(2).zeros(static_cast<std::size_t>(length > 4 ? length - 4 : 0));
        return *this;
    }
    Surfer7& grid(std::int32_t rows, std::int32_t columns, std::int32_t length = 72) {
        w.text("GRID").i32(length).i32(rows).i32(columns);
        w.f64(500).f64(-40).f64(2.5).f64(4).f64(-1).f64(99).f64(15).f64(1.70141e38);
        w.zeros(static_cast<std::size_t>(length > 72 ? length - 72 : 0));
        return *this;
    }
    Surfer7& data(std::int32_t rows, std::int32_t columns) {
        w.text("DATA").i32(8 * rows * columns).zeros(static_cast<std::size_t>(8 * rows * columns));
        return *this;
    }
    Surfer7& section(const char* tag, std::int32_t length) {
        w.text(tag).i32(length).zeros(static_cast<std::size_t>(std::max(length, 0)));
        return *this;
    }
    const std::vector<std::byte>& bytes() const { return w.bytes(); }
};

TEST(SurferHeader, Surfer7UsualArrangement) {
    Surfer7 s;
    s.header().grid(3, 4).data(3, 4);
    auto r = read_with(FormatCode::surfer7, s.bytes());
    ASSERT_EQ(r.status, 0);
    auto d = r.d();
    EXPECT_EQ(d.data_offset(), 100);
    EXPECT_EQ(d.rows(), 3);
    EXPECT_EQ(d.columns(), 4);
    EXPECT_FLOAT_EQ(d.west_x(), 500);
    EXPECT_FLOAT_EQ(d.south_y(), -40);
    EXPECT_FLOAT_EQ(d.column_spacing(), 2.5f);
    EXPECT_FLOAT_EQ(d.row_spacing(), 4);
    EXPECT_FLOAT_EQ(d.east_x(), 507.5f);
    EXPECT_FLOAT_EQ(d.north_y(), -32);
    EXPECT_FLOAT_EQ(d.data_min(), -1);
    EXPECT_FLOAT_EQ(d.data_max(), 99);
    EXPECT_FLOAT_EQ(d.rotation(), 15);
    EXPECT_FLOAT_EQ(d.null_value(), 1.70141e38f);
}

TEST(SurferHeader, Surfer7DataFollowTheSectionsWhereverTheyEnd) {
    // A longer header section and a longer grid section move the data.
    Surfer7 longer;
    longer.header(12).grid(3, 4, 80).data(3, 4);
    auto r = read_with(FormatCode::surfer7, longer.bytes());
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.d().data_offset(), 116);
    EXPECT_EQ(r.d().columns(), 4);

    // A section of another kind before the data is refused, before or after the grid.
    Surfer7 before_grid;
    before_grid.header().section("XTRA", 20).grid(3, 4).data(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, before_grid.bytes()).status, -2019);
    Surfer7 after_grid;
    after_grid.header().grid(3, 4).section("FLTI", 3).data(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, after_grid.bytes()).status, -2019);
}

TEST(SurferHeader, Surfer7BrokenChainsAreRefused) {
    Surfer7 data_first;
    data_first.header().data(3, 4).grid(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, data_first.bytes()).status, -2019);

    Surfer7 no_size;
    no_size.header().grid(0, 4).data(0, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, no_size.bytes()).status, -2019);

    Surfer7 short_grid;  // a grid section too short to hold the geometry
    short_grid.header().section("GRID", 40).data(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, short_grid.bytes()).status, -2019);

    Surfer7 negative;
    negative.header().section("GRID", -8).grid(3, 4).data(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, negative.bytes()).status, -2019);

    Surfer7 not_first;  // the chain must open with the header section
    not_first.grid(3, 4).header().data(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, not_first.bytes()).status, -2019);

    Surfer7 no_data;
    no_data.header().grid(3, 4);
    EXPECT_EQ(read_with(FormatCode::surfer7, no_data.bytes()).status, -2018);

    Surfer7 past_end;  // a section longer than the rest of the file
    past_end.header().section("XTRA", 1000);
    auto bytes = past_end.bytes();
    bytes.resize(bytes.size() - 900);
    EXPECT_EQ(read_with(FormatCode::surfer7, bytes).status, -2018);

    Surfer7 cut;  // the data section states the grid's size but holds less
    cut.header().grid(3, 4).data(3, 4);
    bytes = cut.bytes();
    bytes.pop_back();
    EXPECT_EQ(read_with(FormatCode::surfer7, bytes).status, -2018);

    Surfer7 small;  // a data section smaller than the grid, followed by more
    small.header().grid(3, 4).data(2, 4).section("FLTI", 64);
    EXPECT_EQ(read_with(FormatCode::surfer7, small.bytes()).status, -2018);
}

}  // namespace
}  // namespace gridlib::formats
