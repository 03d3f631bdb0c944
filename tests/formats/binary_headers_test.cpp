// Header reading of the fixed binary grids: the 512-byte header and its
// record-framed variant, "$$BGD", the 24-byte header of reals, "TOOL" and
// "K" grids, and the refusal of sizes the file cannot back.
#include "formats/header_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace gridlib::formats {
namespace {

using gridlib::testing::ByteWriter;

// band_count is the variant flag that format detection leaves for format 2.
HeaderResult read_with(FormatCode format, const std::vector<std::byte>& bytes, std::int32_t band_count = 0) {
    return read_header(format, bytes, [&](GridDescriptor& g) {
        g.view().band_count() = band_count;
        g.view().null_value() = 7.0f;
    });
}

void expect_grid(DescriptorView d, int columns, int rows, float west, float south, float dx, float dy) {
    EXPECT_EQ(d.columns(), columns);
    EXPECT_EQ(d.rows(), rows);
    EXPECT_FLOAT_EQ(d.west_x(), west);
    EXPECT_FLOAT_EQ(d.south_y(), south);
    EXPECT_FLOAT_EQ(d.column_spacing(), dx);
    EXPECT_FLOAT_EQ(d.row_spacing(), dy);
    EXPECT_FLOAT_EQ(d.east_x(), west + (columns - 1) * dx);
    EXPECT_FLOAT_EQ(d.north_y(), south + (rows - 1) * dy);
}

// The 512-byte header states vectors (rows, or columns for the column
// storage orders) and their length; the data follow at 512.
struct Header512 {
    std::int8_t element = 4, negate = 0;
    std::int32_t vector_length = 3, vectors = 2, storage = 1;
    double base = 0, divisor = 1;
    std::int32_t range_1 = -32768, range_2 = 0;

    std::vector<std::byte> bytes(std::ptrdiff_t data_change = 0) const {
        auto b = header();
        const auto data = std::int64_t{std::abs(element)} * vector_length * vectors + data_change;
        b.resize(b.size() + static_cast<std::size_t>(data));
        return b;
    }
    std::vector<std::byte> header() const {
        ByteWriter w;
        w.text(std::string{static_cast<char>(element), static_cast<char>(negate)}).zeros(2);
        w.i32(1).i32(vector_length).i32(vectors).i32(storage);
        w.f64(2).f64(5).f64(100).f64(200).f64(0).f64(base).f64(divisor).pad_to(160);
        return w.i32(range_1).i32(range_2).pad_to(512).bytes();
    }
};

TEST(BinaryHeader, HeaderVariant) {
    Header512 h;
    h.element = 2;
    h.negate = 1;
    h.range_1 = 20;
    h.range_2 = 40;
    h.base = 100;
    h.divisor = 10;
    auto r = read_with(FormatCode::binary_512, h.bytes());
    ASSERT_EQ(r.status, 0);
    expect_grid(r.d(), 3, 2, 100, 200, 2, 5);
    EXPECT_EQ(r.d().value_type(), -2);
    EXPECT_EQ(r.d().byte_order(), 1);
    EXPECT_FLOAT_EQ(r.d().null_value(), -32767.0f);
    // Integer elements state their range as integers, scaled like the values.
    EXPECT_FLOAT_EQ(r.d().data_min(), 102);
    EXPECT_FLOAT_EQ(r.d().data_max(), 104);

    // 4-byte reals state it as reals.
    Header512 reals;
    reals.range_1 = std::bit_cast<std::int32_t>(0.0f);
    reals.range_2 = std::bit_cast<std::int32_t>(500.0f);
    reals.base = 100;
    reals.divisor = 10;
    auto f = read_with(FormatCode::binary_512, reals.bytes());
    EXPECT_FLOAT_EQ(f.d().null_value(), kNullValue);
    EXPECT_FLOAT_EQ(f.d().data_min(), 100);
    EXPECT_FLOAT_EQ(f.d().data_max(), 150);

    Header512 odd;  // no null convention for 3-byte elements: the caller's stays
    odd.element = 3;
    EXPECT_FLOAT_EQ(read_with(FormatCode::binary_512, odd.bytes()).d().null_value(), 7.0f);
}

TEST(BinaryHeader, ColumnStorageExchangesCountsAndSpacings) {
    for (std::int32_t order : {4, -3, -1, 2}) {
        Header512 h;
        h.element = 2;
        h.storage = order;
        h.vector_length = 300;
        h.vectors = 200;
        auto r = read_with(FormatCode::binary_512, h.bytes());
        ASSERT_EQ(r.status, 0) << order;
        expect_grid(r.d(), 200, 300, 100, 200, 5, 2);
    }
}

// Big-endian words between two record markers of 28.
std::vector<std::byte> record_framed(float east, float north, float spacing, std::size_t data_bytes) {
    ByteWriter w;
    w.big_endian(true).i32(28).f32(0).f32(east).f32(10).f32(north).f32(spacing).f32(spacing).f32(-99.0f).i32(28);
    return w.zeros(data_bytes).bytes();
}

TEST(BinaryHeader, RecordFramedVariant) {
    // 100 columns and 3 rows, each row its own record between two markers.
    auto r = read_with(FormatCode::binary_512, record_framed(99, 12, 1, 3 * 102 * 4), 1);
    ASSERT_EQ(r.status, 0);
    expect_grid(r.d(), 100, 3, 0, 10, 1, 1);
    EXPECT_EQ(r.d().data_offset(), 36);
    EXPECT_FLOAT_EQ(r.d().null_value(), -99.0f);

    // Extents a whole number of cells apart, though not exactly so in 32-bit
    // reals, still count every column: 0 to 0.7 by 0.1 is 8 columns.
    auto tenths = read_with(FormatCode::binary_512, record_framed(0.7f, 10.3f, 0.1f, 4 * 10 * 4), 1);
    ASSERT_EQ(tenths.status, 0);
    EXPECT_EQ(tenths.d().columns(), 8);
    EXPECT_EQ(tenths.d().rows(), 4);

    EXPECT_EQ(read_with(FormatCode::binary_512, record_framed(99, 12, 1, 3 * 102 * 4 - 4), 1).status, -2018);
    EXPECT_EQ(read_with(FormatCode::binary_512, record_framed(99, 12, 0, 4096), 1).status, -2019);
}

std::vector<std::byte> bgd(std::int32_t rows, std::int32_t columns, std::ptrdiff_t data_change = 0) {
    ByteWriter w;
    w.text("$$BGD").pad_to(88).big_endian(true);
    w.f32(0).f32(100).f32(-50).f32(50).pad_to(112);
    w.i32(rows).i32(columns).f32(10).f32(20).pad_to(144).f32(-3).f32(8).pad_to(216);
    w.f32(30).pad_to(232).f32(-999).pad_to(512);
    return w.zeros(static_cast<std::size_t>(4 * 5 * 10 + data_change)).bytes();
}

TEST(BinaryHeader, BgdEdgesBecomeCentres) {
    auto r = read_with(FormatCode::bgd, bgd(5, 10));
    ASSERT_EQ(r.status, 0);
    expect_grid(r.d(), 10, 5, 5, -40, 10, 20);
    EXPECT_FLOAT_EQ(r.d().data_min(), -3);
    EXPECT_FLOAT_EQ(r.d().data_max(), 8);
    EXPECT_FLOAT_EQ(r.d().rotation(), 30);
    EXPECT_FLOAT_EQ(r.d().null_value(), -999);

    EXPECT_EQ(read_with(FormatCode::bgd, bgd(5, 10, -1)).status, -2018);
    EXPECT_EQ(read_with(FormatCode::bgd, bgd(0, 10)).status, -2019);
    EXPECT_EQ(read_with(FormatCode::bgd, bgd(5, -10)).status, -2019);
}

TEST(BinaryHeader, RealValuedHeaders) {
    ByteWriter w24;  // one spacing, counts as reals, origin; data at 4096
    w24.f32(2.5f).f32(4).f32(3).f32(1000).f32(2000).f32(0).pad_to(4096).zeros(4 * 4 * 3);
    auto r24 = read_with(FormatCode::binary_24, w24.bytes());
    ASSERT_EQ(r24.status, 0);
    expect_grid(r24.d(), 4, 3, 1000, 2000, 2.5f, 2.5f);
    EXPECT_FLOAT_EQ(r24.d().null_value(), -1.0e30f);

    ByteWriter tool;
    tool.text("TOOL").pad_to(180).f32(-1234).pad_to(188).f32(3).pad_to(196).f32(6).pad_to(204);
    tool.f32(10).pad_to(212).f32(20).pad_to(220).f32(0.5f).pad_to(228).f32(0.25f).pad_to(240).zeros(6 * 3 * 4);
    auto rt = read_with(FormatCode::tool, tool.bytes());
    ASSERT_EQ(rt.status, 0);
    expect_grid(rt.d(), 6, 3, 10, 20, 0.5f, 0.25f);
    EXPECT_FLOAT_EQ(rt.d().null_value(), -1234);

    // 130 columns of 16-bit values: three blocks, each led by one extra element.
    ByteWriter k;
    k.text("K").zeros(1).f32(2).f32(130).f32(10).f32(5).f32(-20).f32(30).pad_to(38);
    k.f32(4).f32(8).pad_to(102).f32(-32767).pad_to(130).zeros(2 * 2 * 133);
    auto rk = read_with(FormatCode::k_blocks, k.bytes());
    ASSERT_EQ(rk.status, 0);
    expect_grid(rk.d(), 130, 2, 30, -20, 8, 4);
    EXPECT_FLOAT_EQ(rk.d().scale_divisor(), 10);
    EXPECT_FLOAT_EQ(rk.d().base(), 5);
    EXPECT_FLOAT_EQ(rk.d().null_value(), -32767);
    auto short_k = k.bytes();
    short_k.resize(short_k.size() - 2);
    EXPECT_EQ(read_with(FormatCode::k_blocks, short_k).status, -2018);
}

TEST(BinaryHeader, SizesThatCannotBeRealAreRefused) {
    ByteWriter huge;  // a count that no 32-bit integer holds is no count
    huge.f32(1).f32(1.0e20f).f32(3).f32(0).f32(0).f32(0).pad_to(4096);
    EXPECT_EQ(read_with(FormatCode::binary_24, huge.bytes()).status, -2019);
    ByteWriter cut;  // the header itself cut short
    cut.f32(1).f32(4);
    EXPECT_EQ(read_with(FormatCode::binary_24, cut.bytes()).status, -2018);

    Header512 h;
    h.vector_length = h.vectors = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(read_with(FormatCode::binary_512, h.header()).status, -2018);
    h.vectors = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(read_with(FormatCode::binary_512, h.header()).status, -2019);
    EXPECT_EQ(read_with(FormatCode::binary_512, Header512{}.bytes(-1)).status, -2018);
}

}  // namespace
}  // namespace gridlib::formats
