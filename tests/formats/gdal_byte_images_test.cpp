// Byte images written by GDAL (PCIDSK with pixel and with band interleaving,
// a BIL from its EHdr driver): their headers describe them, and every row of
// every band comes out as the bytes GDAL reads from the same file, which
// tools/make_gdal_samples.sh stored as "<name>.expected.raw".
#include "formats/driver.h"
#include "formats/grid_header.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fcntl.h>
#include <string>

namespace gridlib::formats {
namespace {

using gridlib::testing::Descriptor;
using gridlib::testing::gdal_sample;

constexpr int kColumns = 13, kRows = 7, kBands = 3;

struct Sample {
    const char* file;
    const char* expected;
    Status status;
    std::int32_t data_offset;
    std::int32_t value_type;  // PCIDSK: the interleaving; BIL: bits per value
};

class GdalByteImage : public ::testing::TestWithParam<Sample> {};

TEST_P(GdalByteImage, RowsOfEveryBandAreTheBytesGdalReads) {
    const Sample& s = GetParam();
    GridDescriptor g;
    DescriptorView d = g.view();
    ASSERT_EQ(read_grid_header(gdal_sample(s.file), d), s.status);
    ASSERT_EQ(d.columns(), kColumns);
    ASSERT_EQ(d.rows(), kRows);
    ASSERT_EQ(d.band_count(), kBands);
    EXPECT_EQ(d.data_offset(), s.data_offset);
    EXPECT_EQ(d.value_type(), s.value_type);

    const auto expected = gridlib::testing::read_file(gdal_sample(s.expected));
    ASSERT_EQ(expected.size(), std::size_t{kColumns * kRows * kBands});
    const Descriptor image(gdal_sample(s.file), O_RDONLY);
    ASSERT_GE(image.fd(), 0);
    const platform::BorrowedDescriptor fd(image.fd());
    // The bands in an order of their own, so that no array gets its band by accident.
    constexpr std::array<std::int32_t, kBands> kOrder{3, 1, 2};
    for (int row = 1; row <= kRows; ++row) {
        std::array<std::array<std::uint16_t, kColumns>, kBands> got{};
        const std::array<formats::BandArray, kBands> arrays{
            {{kOrder[0], got[0].data()}, {kOrder[1], got[1].data()}, {kOrder[2], got[2].data()}}};
        ASSERT_EQ(read_byte_image_row(fd, d, row, arrays), GRIDLIB_OK) << s.file << " row " << row;
        for (int k = 0; k < kBands; ++k) {
            for (int i = 0; i < kColumns; ++i) {
                const std::size_t at = static_cast<std::size_t>(((kOrder[k] - 1) * kRows + row - 1) * kColumns + i);
                EXPECT_EQ(got[k][i], std::to_integer<std::uint16_t>(expected[at]))
                    << s.file << " band " << kOrder[k] << " row " << row << " column " << i + 1;
            }
        }
    }
}

// GDAL's PCIDSK files start their image after a segment pointer table of 64
// blocks at block 8: block 72, byte 71 x 512. GDAL marks its georeferencing
// segment active ("A150") where only a locked one is taken, so the header is
// read with the status of missing georeferencing.
INSTANTIATE_TEST_SUITE_P(
    Files, GdalByteImage,
    ::testing::Values(Sample{"pcidsk_pixel.pix", "pcidsk_pixel.expected.raw", GRIDLIB_PCIDSK_NO_GEOREFERENCING, 71 * 512, 0},
                      Sample{"pcidsk_band.pix", "pcidsk_band.expected.raw", GRIDLIB_PCIDSK_NO_GEOREFERENCING, 71 * 512, 2},
                      Sample{"ehdr.bil", "ehdr.expected.raw", GRIDLIB_OK, 0, 8}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(GdalByteImageHeader, BilPositionAsGdalWritesIt) {
    GridDescriptor g;
    DescriptorView d = g.view();
    ASSERT_EQ(read_grid_header(gdal_sample("ehdr.bil"), d), GRIDLIB_OK);
    // GDAL states the centre of the upper-left cell of the 1000..1130 x 2000..2070 image.
    EXPECT_EQ(d.west_x(), 1005.0f);
    EXPECT_EQ(d.east_x(), 1125.0f);
    EXPECT_EQ(d.north_y(), 2065.0f);
    EXPECT_EQ(d.south_y(), 2005.0f);
}

}  // namespace
}  // namespace gridlib::formats
