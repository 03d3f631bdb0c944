// Reading binary grids into the working grid: storage orders, byte orders,
// element kinds, nulls and scaling, and the header words of the result.
#include "rows/binary_columns.h"
#include "grid_test_support.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib::testing {
namespace {

const Truth kTruth = [](std::int32_t i, std::int32_t g) { return static_cast<float>(10 * g + i); };

class BinaryRead : public ::testing::Test {
protected:
    std::int32_t read(GridDescriptor& g, std::int32_t column_step = 1, std::int32_t row_step = 1) {
        auto d = g.view();
        return read_into_working_grid(input, working, d, whole(d, column_step, row_step));
    }
    TempDir dir;
    std::string input = dir.file("grid.bin");
    std::string working = dir.file("work.tmp");
};

ByteWriter header(std::size_t bytes) {
    ByteWriter w;
    w.zeros(bytes);
    return w;
}

TEST_F(BinaryRead, RowStoredRealsGiveTheWorkingGridByteForByte) {
    // Stored rows south first: 1 2 3 / 4 5 6.
    ByteWriter w = header(512);
    for (float v : {1, 2, 3, 4, 5, 6}) w.f32(v);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::binary_512, 3, 2, 512, 4);
    g.view().west_x() = 100;
    g.view().south_y() = 200;
    g.view().column_spacing() = 2;
    g.view().derive_east_from_columns();
    g.view().derive_north_from_rows();
    ASSERT_EQ(read(g), 0);

    const auto out = read_working(working);
    ASSERT_EQ(out.bytes.size(), 512u + 6 * 4);
    EXPECT_EQ(out.at<std::int32_t>(0), 4);
    EXPECT_EQ(out.at<std::int32_t>(4), 2);
    EXPECT_EQ(out.columns(), 3);
    EXPECT_EQ(out.rows(), 2);
    EXPECT_EQ(out.at<std::int32_t>(16), -2);
    EXPECT_EQ(out.at<double>(20), 2.0);
    EXPECT_EQ(out.at<double>(28), 1.0);
    EXPECT_EQ(out.at<double>(36), 100.0);
    EXPECT_EQ(out.at<double>(44), 200.0);
    EXPECT_EQ(out.at<double>(68), 1.0);
    EXPECT_EQ(out.at<char>(76), ' ');
    EXPECT_EQ(out.at<std::int32_t>(140), 0);
    EXPECT_EQ(out.count(), 6);
    EXPECT_EQ(out.at<float>(160), 1.0f);
    EXPECT_EQ(out.at<float>(164), 6.0f);
    EXPECT_EQ(out.at<float>(168), 3.5f);
    EXPECT_EQ(out.at<float>(172), 3.5f);
    EXPECT_NEAR(out.at<double>(176), std::sqrt(35.0 / 12.0), 1e-5);
    EXPECT_EQ(out.at<std::int32_t>(184), 0);
    EXPECT_EQ(out.at<char>(511), ' ');
    EXPECT_EQ(out.values(), (std::vector<std::vector<float>>{{4, 5, 6}, {1, 2, 3}}));

    // The descriptor now describes the working grid; the full window leaves
    // the geometry as it was.
    auto d = g.view();
    EXPECT_EQ(d.west_x(), 100.0f);
    EXPECT_EQ(d.east_x(), 104.0f);
    EXPECT_EQ(d.north_y(), 201.0f);
    EXPECT_EQ(d.null_value(), kNullValue);
    EXPECT_EQ(d.data_min(), 1.0f);
    EXPECT_EQ(d.data_max(), 6.0f);
    EXPECT_EQ(d.colour_min(), 1.0f);
    EXPECT_EQ(d.colour_max(), 6.0f);
    EXPECT_EQ(d.mean(), 3.5f);
    EXPECT_EQ(d.value_type(), 4);  // format fields still describe the input
}

TEST_F(BinaryRead, EveryStorageOrderGivesTheSameWorkingRows) {
    // Odd sizes so that a swapped row and column count cannot pass.
    const std::int32_t n = 5, rows = 3;
    for (std::int32_t order : {1, -1, 2, -2, 3, -3, 4, -4}) {
        SCOPED_TRACE(order);
        ByteWriter w = header(512);
        for (float v : stored_order(kTruth, n, rows, order)) w.f32(v);
        write_file(input, w.bytes());
        auto g = descriptor(FormatCode::binary_512, n, rows, 512, 4, order);
        ASSERT_EQ(read(g), 0);
        EXPECT_EQ(read_working(working).values(), expected_rows(kTruth, n, rows));
    }
}

TEST_F(BinaryRead, SurferGridsTakeTheFirstStoredRowAsSouthernWhateverTheirCode) {
    const std::int32_t n = 4, rows = 3;
    for (FormatCode f : {FormatCode::surfer6, FormatCode::tool, FormatCode::binary_24}) {
        ByteWriter w = header(56);
        const bool surfer = f == FormatCode::surfer6;
        // Storage order 3: every row reversed; southern first only for Surfer.
        for (float v : stored_order(kTruth, n, rows, 3, false, surfer)) w.f32(v);
        write_file(input, w.bytes());
        auto g = descriptor(f, n, rows, 56, 4, 3);
        ASSERT_EQ(read(g), 0);
        EXPECT_EQ(read_working(working).values(), expected_rows(kTruth, n, rows));
    }
}

TEST_F(BinaryRead, ColumnStorageHonoursTheByteOrderAndRowStorageDoesNot) {
    const std::int32_t n = 3, rows = 2;
    ByteWriter columns = header(512);
    columns.big_endian(true);
    for (float v : stored_order(kTruth, n, rows, -1)) columns.f32(v);
    write_file(input, columns.bytes());
    auto g = descriptor(FormatCode::binary_512, n, rows, 512, 4, -1, 1);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), expected_rows(kTruth, n, rows));

    // Row storage takes the bytes as they are, even when the header says
    // most significant byte first.
    ByteWriter row_stored = header(512);
    for (float v : stored_order(kTruth, n, rows, 1)) row_stored.f32(v);
    write_file(input, row_stored.bytes());
    g = descriptor(FormatCode::binary_512, n, rows, 512, 4, 1, 1);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), expected_rows(kTruth, n, rows));
}

TEST_F(BinaryRead, SixtyFourBitColumnsOfASurferGrid) {
    const std::int32_t n = 3, rows = 4;
    ByteWriter w = header(100);
    // Code 2: columns; Surfer takes the first stored row as the southern one.
    for (float v : stored_order(kTruth, n, rows, 2, false, true)) w.f64(v);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::surfer7, n, rows, 100, 8, 2, 2, 1.0e38f);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), expected_rows(kTruth, n, rows));
}

TEST(ColumnSource, BlocksOfAFewRowsStitchWithoutASeam) {
    // 7 columns of 1000 rows read 17 rows at a time, from row 5 on (the
    // rows before lie outside the window), every other row requested.
    TempDir dir;
    const std::int32_t n = 7, rows = 1000;
    ByteWriter w;
    w.zeros(12);
    for (std::int32_t i = 1; i <= n; ++i)
        for (std::int32_t k = 1; k <= rows; ++k) w.f32(static_cast<float>(k * 10 + i));
    write_file(dir.file("c.bin"), w.bytes());
    rows::ColumnPlacement p;
    p.first_offset = 12;
    p.column_bytes = 4 * rows;
    p.columns = n;
    p.rows = rows;
    p.last_needed = 999;
    rows::ColumnSource source(*platform::File::open_read(dir.file("c.bin")), rows::ElementLayout{}, p, 17 * n * 4);
    std::vector<float> row(n);
    for (std::int64_t k = 5; k <= 999; k += 2) {
        ASSERT_EQ(source.read(k, row), 0) << k;
        for (std::int32_t i = 1; i <= n; ++i) ASSERT_EQ(row[i - 1], static_cast<float>(k * 10 + i)) << k;
    }
}

TEST_F(BinaryRead, BlocksOf64SkipTheirHeadElementAndScale) {
    // 130 values: two full blocks and two values; each block head holds a
    // value that must never appear.
    const std::int32_t n = 130, rows = 2;
    ByteWriter w = header(130);
    for (std::int32_t k = 1; k <= rows; ++k) {
        for (std::int32_t i = 1; i <= n; ++i) {
            if ((i - 1) % 64 == 0) w.i16(31111);
            w.i16(static_cast<std::int16_t>(i == 5 ? -32767 : k * 1000 + i));
        }
    }
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::k_blocks, n, rows, 130, 2, 1, 2, -32767.0f);
    g.view().scale_divisor() = 10;
    g.view().base() = 5;
    ASSERT_EQ(read(g), 0);
    const auto out = read_working(working).values();
    EXPECT_EQ(out[1][0], 1001 / 10.0f + 5);  // southern row: first stored
    EXPECT_EQ(out[1][63], 1064 / 10.0f + 5);
    EXPECT_EQ(out[1][64], 1065 / 10.0f + 5);
    EXPECT_EQ(out[0][129], 2130 / 10.0f + 5);
    EXPECT_EQ(out[0][4], kNullValue);  // matched before scaling, never scaled
    EXPECT_EQ(read_working(working).count(), 2 * 129);
}

TEST_F(BinaryRead, NullToleranceDependsOnTheFormatAndElementSize) {
    // 16-bit values within 0.1 of the null are missing; one unit away is not.
    ByteWriter w16 = header(512);
    for (std::int16_t v : {-32767, -32766, 7}) w16.i16(v);
    write_file(input, w16.bytes());
    auto g = descriptor(FormatCode::binary_512, 3, 1, 512, 2, 1, 2, -32767.0f);
    g.view().north_y() = 1;  // a one-row grid needs some extent to be read
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{kNullValue, -32766, 7}));

    // 32-bit reals of these formats are not compared with the null value...
    ByteWriter w32 = header(512);
    for (float v : {-99999.0f, 1.0f}) w32.f32(v);
    write_file(input, w32.bytes());
    g = descriptor(FormatCode::binary_512, 2, 1, 512, 4);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{-99999.0f, 1.0f}));

    // ...but Surfer's are, and its blank value is matched.
    ByteWriter surfer = header(56);
    for (float v : {1.70141e38f, 1.0f}) surfer.f32(v);
    write_file(input, surfer.bytes());
    g = descriptor(FormatCode::surfer6, 2, 1, 56, 4, 1, 2, 1.70141e38f);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{kNullValue, 1.0f}));
}

TEST_F(BinaryRead, NonFiniteStoredRealsBecomeNull) {
    ByteWriter w = header(56);
    w.f32(std::nanf("")).f32(INFINITY).f32(-3.0e38f).f32(2.5f);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::surfer6, 4, 1, 56, 4);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);
    const auto out = read_working(working);
    EXPECT_EQ(out.values()[0], (std::vector<float>{kNullValue, kNullValue, kNullValue, 2.5f}));
    EXPECT_EQ(out.count(), 1);
}

TEST_F(BinaryRead, RecordFramedRowsAreBigEndianBetweenMarkers) {
    const std::int32_t n = 3, rows = 2;
    ByteWriter w;
    w.big_endian(true);
    w.zeros(36);
    const float stored[2][3] = {{1, -99999.0f, 3}, {4, -99999.05f, 6}};
    for (const auto& row : stored) {
        w.i32(12);
        for (float v : row) w.f32(v);
        w.i32(12);
    }
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::binary_512, n, rows, 36, 4, 1, 1);
    g.view().band_count() = 1;  // the record-framed variant
    ASSERT_EQ(read(g), 0);
    // Only an exact null is missing here; the first stored row is southern.
    EXPECT_EQ(read_working(working).values(),
              (std::vector<std::vector<float>>{{4, -99999.05f, 6}, {1, kNullValue, 3}}));
}

TEST_F(BinaryRead, BgdAndToolCellsEqualToTheirNullAreNull) {
    // Big-endian rows, the northern one first; only the stated null itself
    // is missing, not a value next to it.
    ByteWriter w;
    w.big_endian(true);
    w.zeros(512);
    for (float v : {1.0f, -99999.0f, -99999.01f, 0.0f}) w.f32(v);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::bgd, 2, 2, 512, 4, 1, 1);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{1, kNullValue}, {-99999.01f, 0}}));

    ByteWriter tool = header(240);
    for (float v : {-777.0f, 2.0f, 0.0f, -776.99994f}) tool.f32(v);
    write_file(input, tool.bytes());
    g = descriptor(FormatCode::tool, 2, 2, 240, 4, -2, 0, -777.0f);
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{kNullValue, 2}, {0, -776.99994f}}));
}

TEST_F(BinaryRead, A64BitGridScalesItsValues) {
    ByteWriter w = header(100);
    w.f64(10).f64(20).f64(1.0e300);
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::surfer7, 3, 1, 100, 8, 1, 2, 1.70141e38f);
    g.view().north_y() = 1;
    g.view().scale_divisor() = 2;
    g.view().base() = -1;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{4, 9, kNullValue}));
}

TEST_F(BinaryRead, AShortFileFailsWithTheRowBeingRead) {
    ByteWriter w = header(512);
    for (float v : {1, 2, 3, 4, 5}) w.f32(v);  // row 2 lacks its last value
    write_file(input, w.bytes());
    auto g = descriptor(FormatCode::binary_512, 3, 2, 512, 4);
    EXPECT_EQ(read(g), -1002);
    EXPECT_EQ(g.view().columns(), 3);  // not rewritten
    EXPECT_EQ(g.view().null_value(), -99999.0f);
    // The row read before the failure is in place (the southern, last slot).
    const auto out = read_working(working);
    ASSERT_GE(out.bytes.size(), 512u + 6 * 4);
    EXPECT_EQ(out.values()[1], (std::vector<float>{1, 2, 3}));

    // Column storage: the last column is the one cut short.
    ByteWriter c = header(512);
    for (float v : stored_order(kTruth, 3, 4, -1)) c.f32(v);
    auto bytes = c.bytes();
    bytes.resize(bytes.size() - 4 * 2);  // rows 3 and 4 lose their last value
    write_file(input, bytes);
    g = descriptor(FormatCode::binary_512, 3, 4, 512, 4, -1);
    EXPECT_EQ(read(g), -1003);

    write_file(input, header(100).bytes());
    g = descriptor(FormatCode::binary_512, 3, 2, 512, 4);
    EXPECT_EQ(read(g), -1001);
}

TEST_F(BinaryRead, UnhandledVariantsAreRefused) {
    write_file(input, header(600).bytes());
    auto g = descriptor(FormatCode::binary_512, 2, 2, 512, -4);
    EXPECT_EQ(read(g), -11);  // element size negated by the header
    g = descriptor(FormatCode::binary_512, 2, 2, 512, 1);
    EXPECT_EQ(read(g), -11);  // no decoding for 1-byte elements
    g = descriptor(FormatCode::k_blocks, 2, 2, 130, 2, -1);
    EXPECT_EQ(read(g), -11);  // blocks of 64 are a layout of stored rows
    g = descriptor(FormatCode::binary_512, 2, 2, 36, 2);
    g.view().band_count() = 1;
    EXPECT_EQ(read(g), -11);  // record-framed rows hold 4-byte reals
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(BinaryRead, OffsetsBeyondAnyFileAreRefusedBeforeAllocating) {
    write_file(input, header(600).bytes());
    auto g = descriptor(FormatCode::surfer7, 2'000'000'000, 2'000'000'000, 100, 8, -1);
    EXPECT_EQ(read(g), -1);  // 8 * 2e9 * 2e9 bytes of columns
    g = descriptor(FormatCode::binary_512, 2'000'000'000, 2'000'000'000, 512, 8);
    EXPECT_EQ(read(g), -1);
    EXPECT_FALSE(platform::file_exists(working));
}

TEST_F(BinaryRead, ANegativeHeaderOffsetIsAPositioningFailure) {
    write_file(input, header(600).bytes());
    auto g = descriptor(FormatCode::binary_512, 2, 2, -100, 4, -1);
    EXPECT_EQ(read(g), -101);
    g = descriptor(FormatCode::binary_512, 2, 2, -100, 4, 1);
    EXPECT_EQ(read(g), -1001);
    g = descriptor(FormatCode::bgd, 2, 2, -100, 4, 1, 1);
    EXPECT_EQ(read(g), -3000);
}

}  // namespace
}  // namespace gridlib::testing
