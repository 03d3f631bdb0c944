// Reading ER Mapper data files into the working grid.
#include "grid_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gridlib::testing {
namespace {

class ErMapperRead : public ::testing::Test {
protected:
    // The header file only has to exist; its content is in the descriptor.
    void SetUp() override { write_file(header, "DatasetHeader Begin\n"); }
    std::int32_t read(GridDescriptor& g) {
        return read_into_working_grid(header, working, g.view(), whole(g.view()));
    }
    GridDescriptor er(std::int32_t columns, std::int32_t rows, std::int32_t cell_type, float null_value,
                      std::int32_t byte_order = 0) {
        return descriptor(FormatCode::er_mapper, columns, rows, 0, cell_type, 1, byte_order, null_value);
    }
    // The one row of cells the data file holds, as read.
    std::vector<float> one_row(const ByteWriter& data, std::int32_t columns, std::int32_t cell_type, float null_value,
                               std::int32_t byte_order = 0) {
        write_file(dir.file("a"), data.bytes());
        auto g = er(columns, 1, cell_type, null_value, byte_order);
        g.view().north_y() = 1;
        EXPECT_EQ(read(g), 0);
        return read_working(working).values().at(0);
    }
    TempDir dir;
    std::string header = dir.file("a.ers");
    std::string working = dir.file("work.tmp");
};

TEST_F(ErMapperRead, DataFileWithoutExtensionOrWithErm) {
    ByteWriter w;
    w.f32(1).f32(2);
    write_file(dir.file("a.erm"), w.bytes());
    auto g = er(2, 1, 0, -99999);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);  // a is missing, a.erm is read
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{1, 2}));

    ByteWriter w2;
    w2.f32(3).f32(4);
    write_file(dir.file("a"), w2.bytes());
    g = er(2, 1, 0, -99999);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);  // a is preferred
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{3, 4}));

    const std::string other = dir.file("b.ers");
    write_file(other, "x");
    g = er(2, 1, 0, -99999);
    g.view().north_y() = 1;
    EXPECT_EQ(read_into_working_grid(other, working, g.view(), whole(g.view())), -1);  // no b, no b.erm
}

TEST_F(ErMapperRead, IntegerCellsAreThousandthsMatchedAgainstTheScaledNull) {
    ByteWriter w;
    w.big_endian(true);
    w.i32(1999).i32(-1999).i32(-9999).i32(0);
    write_file(dir.file("a"), w.bytes());
    // The header divides the null -9999 by 1000 as a real.
    auto g = er(2, 2, 1, -9999.0f / 1000.0f, 1);
    ASSERT_EQ(read(g), 0);
    // The first stored row is the northern one.
    EXPECT_EQ(read_working(working).values(),
              (std::vector<std::vector<float>>{{1.999f, -1.999f}, {kNullValue, 0.0f}}));
}

TEST_F(ErMapperRead, IntegerCellsKeepTheSignOfTheirType) {
    // Unsigned 16-bit cells (code 5) beyond 32767, signed bytes (code 6)
    // below 0, unsigned 32-bit thousandths (code 7) beyond 2^31; the values
    // the other signedness reads alike read the same.
    EXPECT_EQ(one_row(ByteWriter().i16(static_cast<std::int16_t>(40000)).i16(7), 2, 5, 65535),
              (std::vector<float>{40000, 7}));
    EXPECT_EQ(one_row(ByteWriter().text("\xfb\x05"), 2, 6, -128), (std::vector<float>{-5, 5}));
    EXPECT_EQ(one_row(ByteWriter().big_endian(true).i32(static_cast<std::int32_t>(3000000000u)).i32(1999), 2, 7,
                      -9.999f, 1),
              (std::vector<float>{3000000, 1.999f}));
}

TEST_F(ErMapperRead, RealCellsOutOfRangeOrNotFiniteAreNull) {
    ByteWriter w64;
    w64.f64(-2.0e32).f64(12.5).f64(NAN).f64(1.0e300);
    write_file(dir.file("a"), w64.bytes());
    auto g = er(4, 1, 4, -99999);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{kNullValue, 12.5f, kNullValue, kNullValue}));

    ByteWriter w32;
    w32.f32(std::nanf("")).f32(-INFINITY).f32(-99999).f32(-99999.01f);
    write_file(dir.file("a"), w32.bytes());
    g = er(4, 1, 0, -99999);
    g.view().north_y() = 1;
    ASSERT_EQ(read(g), 0);
    // Only values within 1e-8 of the null are missing.
    EXPECT_EQ(read_working(working).values()[0], (std::vector<float>{kNullValue, kNullValue, kNullValue, -99999.01f}));
}

TEST_F(ErMapperRead, TheSelectedBandOfInterleavedRowsAndSmallCells) {
    // Three bands of 16-bit cells, rows interleaved band after band.
    ByteWriter w;
    w.zeros(8);
    for (std::int16_t row = 1; row <= 2; ++row)
        for (std::int16_t band = 1; band <= 3; ++band) w.i16(static_cast<std::int16_t>(100 * band + row)).i16(-5);
    write_file(dir.file("a"), w.bytes());
    auto g = er(2, 2, 2, -99999);
    g.view().band_count() = 3;
    g.view().selected_band() = 2;
    g.view().data_offset() = 8;
    ASSERT_EQ(read(g), 0);
    EXPECT_EQ(read_working(working).values(), (std::vector<std::vector<float>>{{201, -5}, {202, -5}}));

    ByteWriter bytes;
    bytes.text("\x01\xff");
    EXPECT_EQ(one_row(bytes, 2, 3, -99999), (std::vector<float>{1, 255}));

    write_file(dir.file("a"), bytes.bytes());
    g = er(2, 2, 3, -99999);
    EXPECT_EQ(read(g), -1002);  // the second row is missing
}

}  // namespace
}  // namespace gridlib::testing
