// Rows of byte images through their drivers: the stored row length and the
// band arrangement of each PCIDSK interleaving, BIL and BIP, band copies,
// arrays left untouched, and the files too short for a row.
#include "formats/driver.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <vector>

namespace gridlib::formats {
namespace {

using gridlib::testing::Descriptor;
using gridlib::testing::TempDir;

constexpr std::uint16_t kUntouched = 0xBEEF;

// The image files hold numbered bytes.
std::uint16_t byte_at(std::int64_t offset) { return gridlib::testing::numbered_byte(static_cast<std::uint64_t>(offset)); }

struct Image {
    FormatCode format;
    std::int32_t interleave = 0;  // PCIDSK only
    std::int32_t columns = 0, rows = 0, bands = 0, data_offset = 0;
};

// Three arrays, read for the given bands from a file of `size` bytes.
struct RowRead {
    Status status = 0;
    std::array<std::vector<std::uint16_t>, 3> arrays;
};

RowRead read_row(const Image& image, std::int64_t size, std::int64_t row, std::array<std::int32_t, 3> bands) {
    TempDir dir;
    gridlib::testing::write_file(dir.file("image"), gridlib::testing::numbered_bytes(static_cast<std::size_t>(size)));

    GridDescriptor g;
    DescriptorView d = g.view();
    d.set_format(image.format);
    d.value_type() = image.interleave;
    d.columns_read() = image.columns;
    d.rows_read() = image.rows;
    d.band_count() = image.bands;
    d.data_offset() = image.data_offset;

    RowRead r;
    std::array<rows::BandArray, 3> arrays;
    for (std::size_t k = 0; k < 3; ++k) {
        r.arrays[k].assign(static_cast<std::size_t>(image.columns), kUntouched);
        arrays[k] = {bands[k], r.arrays[k].data()};
    }
    const Descriptor file(dir.file("image"), O_RDONLY);
    r.status = read_byte_image_row(platform::BorrowedDescriptor(file.fd()), d, row, arrays);
    return r;
}

// Expects array k to hold, for each column i, the byte at offset_of(i).
template <typename Offset>
void expect_band(const RowRead& r, std::size_t k, Offset offset_of) {
    for (std::size_t i = 0; i < r.arrays[k].size(); ++i) {
        ASSERT_EQ(r.arrays[k][i], byte_at(offset_of(static_cast<std::int64_t>(i)))) << "array " << k + 1 << " value " << i + 1;
    }
}

void expect_untouched(const RowRead& r, std::size_t k) {
    for (std::uint16_t v : r.arrays[k]) ASSERT_EQ(v, kUntouched) << "array " << k + 1;
}

TEST(ByteImageRows, PcidskPixelRowsArePaddedToWholeBlocks) {
    // 3 bands of 200 columns: 600 bytes a row, stored in 1024.
    const Image image{FormatCode::pcidsk, 0, 200, 4, 3, 1024};
    auto r = read_row(image, 1024 + 4 * 1024, 3, {2, 1, 3});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    const std::int64_t row_start = 1024 + 2 * 1024;
    EXPECT_EQ(r.arrays[0][4], byte_at(row_start + 13)) << "value 5 of band 2 is byte 14 of the row";
    expect_band(r, 0, [&](std::int64_t i) { return row_start + i * 3 + 1; });
    expect_band(r, 1, [&](std::int64_t i) { return row_start + i * 3; });
    expect_band(r, 2, [&](std::int64_t i) { return row_start + i * 3 + 2; });
}

TEST(ByteImageRows, LineInterleavedBandsAndTheirCopies) {
    // BIL and PCIDSK line interleaving store a row alike: band after band.
    for (const Image image : {Image{FormatCode::bil, 0, 5, 4, 3, 100}, Image{FormatCode::pcidsk, 1, 5, 4, 3, 100}}) {
        auto r = read_row(image, 100 + 4 * 15, 4, {2, 2, 1});
        ASSERT_EQ(r.status, GRIDLIB_OK);
        const std::int64_t row_start = 100 + 3 * 15;
        expect_band(r, 0, [&](std::int64_t i) { return row_start + 5 + i; });
        EXPECT_EQ(r.arrays[1], r.arrays[0]);
        expect_band(r, 2, [&](std::int64_t i) { return row_start + i; });
    }
}

TEST(ByteImageRows, BipBandsOutsideTheImageLeaveTheirArraysUntouched) {
    const Image image{FormatCode::bip, 0, 6, 3, 3, 10};
    auto r = read_row(image, 10 + 3 * 18, 2, {0, 3, 4});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    expect_untouched(r, 0);
    expect_band(r, 1, [&](std::int64_t i) { return 10 + 18 + i * 3 + 2; });
    expect_untouched(r, 2);
}

TEST(ByteImageRows, PcidskBandInterleavingHoldsEachBandAsAnImage) {
    // Two bands of 4 rows of 6: band 2 begins 24 bytes after band 1.
    const Image image{FormatCode::pcidsk, 2, 6, 4, 2, 512};
    auto r = read_row(image, 512 + 48, 3, {2, 0, 1});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    expect_band(r, 0, [&](std::int64_t i) { return 512 + 24 + 12 + i; });
    expect_untouched(r, 1);
    expect_band(r, 2, [&](std::int64_t i) { return 512 + 12 + i; });
    // A band whose rows the file does not hold is reported, not passed over.
    EXPECT_EQ(read_row(image, 512 + 40, 3, {1, 2, 0}).status, GRIDLIB_REFUSED);
}

TEST(ByteImageRows, PcidskFileInterleavingFillsTheFirstArrayWhateverItsBand) {
    const Image image{FormatCode::pcidsk, 3, 6, 4, 2, 512};
    auto r = read_row(image, 512 + 24, 2, {0, 2, 1});
    ASSERT_EQ(r.status, GRIDLIB_OK);
    expect_band(r, 0, [&](std::int64_t i) { return 512 + 6 + i; });
    expect_untouched(r, 1);
    expect_untouched(r, 2);
}

TEST(ByteImageRows, AFileMustHoldTheLastValueUnpackedButNotThePadding) {
    // Pixel interleaving, 3 bands of 10 columns: the last row's 30 values,
    // without the rest of its block.
    const Image image{FormatCode::pcidsk, 0, 10, 2, 3, 0};
    EXPECT_EQ(read_row(image, 512 + 30, 2, {1, 2, 3}).status, GRIDLIB_OK);
    const std::int64_t short_of_one = 512 + 29;
    EXPECT_EQ(read_row(image, short_of_one, 2, {1, 2, 0}).status, GRIDLIB_OK);
    EXPECT_EQ(read_row(image, short_of_one, 2, {1, 3, 0}).status, GRIDLIB_REFUSED);
    EXPECT_EQ(read_row(image, short_of_one, 3, {1, 0, 0}).status, GRIDLIB_REFUSED);
}

TEST(ByteImageRows, RequestsThatCannotBeServed) {
    const Image bil{FormatCode::bil, 0, 4, 2, 1, 0};
    EXPECT_EQ(read_row(bil, 8, 0, {1, 0, 0}).status, GRIDLIB_REFUSED) << "rows are numbered from 1";
    EXPECT_EQ(read_row(Image{FormatCode::esri_ascii, 0, 4, 2, 1, 0}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED);
    EXPECT_EQ(read_row(Image{FormatCode::pcidsk, 7, 4, 2, 1, 0}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED)
        << "no such interleaving";
    EXPECT_EQ(read_row(Image{FormatCode::bil, 0, 4, 2, 1, -8}, 8, 1, {1, 0, 0}).status, GRIDLIB_REFUSED);
}

}  // namespace
}  // namespace gridlib::formats
