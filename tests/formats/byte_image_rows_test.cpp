// Rows of byte images through their drivers: the stored row length and band
// arrangement of each PCIDSK interleaving, BIL and BIP, band copies, arrays
// left untouched, and files too short for a row.
#include "formats/driver.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <vector>

namespace gridlib::formats {
namespace {

using gridlib::testing::numbered_byte;

struct Image {
    FormatCode format;
    std::int32_t interleave;  // PCIDSK only
    std::int32_t columns, rows, bands, data_offset;
};

struct RowRead {
    Status status = 0;
    std::array<std::vector<std::uint16_t>, 3> arrays;
    // Array k holds, for each column i, the file's byte at offset_of(i).
    bool holds(std::size_t k, const std::function<std::int64_t(std::int64_t)>& offset_of) const {
        for (std::size_t i = 0; i < arrays[k].size(); ++i) {
            if (arrays[k][i] != numbered_byte(static_cast<std::uint64_t>(offset_of(static_cast<std::int64_t>(i))))) return false;
        }
        return true;
    }
    bool untouched(std::size_t k) const {
        return std::all_of(arrays[k].begin(), arrays[k].end(), [](std::uint16_t v) { return v == 0xBEEF; });
    }
};

// A row read for three bands from a file of `size` numbered bytes.
RowRead read_row(const Image& image, std::size_t size, std::int64_t row, std::array<std::int32_t, 3> bands) {
    testing::TempDir dir;
    testing::write_file(dir.file("image"), testing::numbered_bytes(size));
    GridDescriptor g;
    DescriptorView d = g.view();
    d.set_format(image.format);
    d.value_type() = image.interleave;
    d.columns_read() = image.columns;
    d.rows_read() = image.rows;
    d.band_count() = image.bands;
    d.data_offset() = image.data_offset;

    RowRead r;
    std::array<formats::BandArray, 3> arrays;
    for (std::size_t k = 0; k < 3; ++k) {
        r.arrays[k].assign(static_cast<std::size_t>(image.columns), 0xBEEF);
        arrays[k] = {bands[k], r.arrays[k].data()};
    }
    const testing::Descriptor file(dir.file("image"), O_RDONLY);
    r.status = read_byte_image_row(platform::BorrowedDescriptor(file.fd()), d, row, arrays);
    return r;
}

TEST(ByteImageRows, PcidskPixelRowsArePaddedToWholeBlocks) {
    // 3 bands of 200 columns: 600 bytes a row, stored in 1024.
    auto r = read_row({FormatCode::pcidsk, 0, 200, 4, 3, 1024}, 1024 + 4 * 1024, 3, {2, 1, 3});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    const std::int64_t row = 1024 + 2 * 1024;
    EXPECT_EQ(r.arrays[0][4], numbered_byte(row + 13)) << "value 5 of band 2 is byte 14 of the row";
    EXPECT_TRUE(r.holds(0, [&](std::int64_t i) { return row + i * 3 + 1; }));
    EXPECT_TRUE(r.holds(1, [&](std::int64_t i) { return row + i * 3; }));
    EXPECT_TRUE(r.holds(2, [&](std::int64_t i) { return row + i * 3 + 2; }));
}

TEST(ByteImageRows, LineAndPixelInterleavedBandsTheirCopiesAndBandsNotThere) {
    // BIL and PCIDSK line interleaving store a row alike: band after band.
    for (const Image image : {Image{FormatCode::bil, 0, 5, 4, 3, 100}, Image{FormatCode::pcidsk, 1, 5, 4, 3, 100}}) {
        auto r = read_row(image, 100 + 4 * 15, 4, {2, 2, 1});
        ASSERT_EQ(r.status, GRIDLIB_OK);
        EXPECT_TRUE(r.holds(0, [](std::int64_t i) { return 145 + 5 + i; }));
        EXPECT_EQ(r.arrays[1], r.arrays[0]);
        EXPECT_TRUE(r.holds(2, [](std::int64_t i) { return 145 + i; }));
    }
    auto bip = read_row({FormatCode::bip, 0, 6, 3, 3, 10}, 10 + 3 * 18, 2, {0, 3, 4});
    ASSERT_EQ(bip.status, GRIDLIB_OK);
    EXPECT_TRUE(bip.untouched(0));
    EXPECT_TRUE(bip.holds(1, [](std::int64_t i) { return 10 + 18 + i * 3 + 2; }));
    EXPECT_TRUE(bip.untouched(2));
}

TEST(ByteImageRows, PcidskBandAndFileInterleaving) {
    // Two bands of 4 rows of 6: band 2 begins 24 bytes after band 1.
    const Image band{FormatCode::pcidsk, 2, 6, 4, 2, 512};
    auto r = read_row(band, 512 + 48, 3, {2, 0, 1});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    EXPECT_TRUE(r.holds(0, [](std::int64_t i) { return 512 + 24 + 12 + i; }));
    EXPECT_TRUE(r.untouched(1));
    EXPECT_TRUE(r.holds(2, [](std::int64_t i) { return 512 + 12 + i; }));
    EXPECT_EQ(read_row(band, 512 + 40, 3, {1, 2, 0}).status, GRIDLIB_REFUSED) << "band 2 ends early";

    // One band, the first array's, whatever band it asks for.
    auto file = read_row({FormatCode::pcidsk, 3, 6, 4, 2, 512}, 512 + 24, 2, {0, 2, 1});
    ASSERT_EQ(file.status, GRIDLIB_OK);
    EXPECT_TRUE(file.holds(0, [](std::int64_t i) { return 512 + 6 + i; }));
    EXPECT_TRUE(file.untouched(1) && file.untouched(2));
}

TEST(ByteImageRows, AFileMustHoldTheLastValueUnpackedButNotThePadding) {
    // Pixel interleaving, 3 bands of 10 columns; the last row without the
    // rest of its block, and then without its last value too.
    const Image image{FormatCode::pcidsk, 0, 10, 2, 3, 0};
    EXPECT_EQ(read_row(image, 512 + 30, 2, {1, 2, 3}).status, GRIDLIB_OK);
    EXPECT_EQ(read_row(image, 512 + 29, 2, {1, 2, 0}).status, GRIDLIB_OK);
    EXPECT_EQ(read_row(image, 512 + 29, 2, {1, 3, 0}).status, GRIDLIB_REFUSED);
    EXPECT_EQ(read_row(image, 512 + 29, 3, {1, 0, 0}).status, GRIDLIB_REFUSED);
}

TEST(ByteImageRows, RowsWiderThanAnyFixedBuffer) {
    // 3 bands of 30000 columns: 90000 bytes a row.
    auto r = read_row({FormatCode::bip, 0, 30000, 2, 3, 0}, 2 * 90000, 2, {3, 0, 0});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    EXPECT_TRUE(r.holds(0, [](std::int64_t i) { return 90000 + i * 3 + 2; }));
}

TEST(ByteImageRows, RequestsThatCannotBeServed) {
    EXPECT_EQ(read_row({FormatCode::bil, 0, 4, 2, 1, 0}, 8, 0, {1, 0, 0}).status, GRIDLIB_REFUSED) << "row 0";
    EXPECT_EQ(read_row({FormatCode::bil, 0, 4, 2, 1, -8}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED);
    EXPECT_EQ(read_row({FormatCode::esri_ascii, 0, 4, 2, 1, 0}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED);
    EXPECT_EQ(read_row({FormatCode::pcidsk, 7, 4, 2, 1, 0}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED) << "interleave 7";
}

}  // namespace
}  // namespace gridlib::formats
