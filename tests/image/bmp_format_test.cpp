#include "image/bmp_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace gridlib::bmp {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values) out.push_back(static_cast<std::byte>(v));
    return out;
}

TEST(BmpFormat, HeaderIsLittleEndianFieldByField) {
    const auto layout = plan(6, 5, 8, 4);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->line_bytes, 8u);
    EXPECT_EQ(layout->pixel_offset, 70u);
    EXPECT_EQ(layout->file_size, 110u);
    MemorySink sink;
    ASSERT_TRUE(write_header(sink, *layout));
    EXPECT_EQ(sink.bytes(), bytes({'B', 'M', 110, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0,   // file header
                                   40, 0, 0, 0, 6, 0, 0, 0, 5, 0, 0, 0, 1, 0, 8, 0,  // size, width, height, planes, bits
                                   0, 0, 0, 0, 0, 0, 0, 0,                           // no compression, image size 0
                                   0, 0x10, 0, 0, 0, 0x10, 0, 0,                     // 4096 pixels per metre
                                   4, 0, 0, 0, 4, 0, 0, 0}));                        // colours used, important

    const auto wide = plan(0x01020304, 1, 24, 0);
    ASSERT_TRUE(wide);
    MemorySink big;
    write_header(big, *wide);
    EXPECT_EQ(std::vector<std::byte>(big.bytes().begin() + 18, big.bytes().begin() + 22), bytes({4, 3, 2, 1}));
    EXPECT_EQ(wide->pixel_offset, 54u);
    EXPECT_EQ(big.bytes()[28], std::byte{24});
}

TEST(BmpFormat, PaletteIsBlueGreenRedZeroFromTheLowBytes) {
    std::array<std::int32_t, kColourTableValues> values{};
    const ColourTableView table{std::span(values)};
    table.set(0, {255, 255, 255});
    table.set(2, {0x112, 0x34, 0x56});
    table.set(3, {1, 2, 3});
    table.set(4, {9, 9, 9});  // beyond the entries written
    MemorySink sink;
    ASSERT_TRUE(write_palette(sink, ConstColourTableView(std::span<const std::int32_t, kColourTableValues>(values)), 4));
    EXPECT_EQ(sink.bytes(), bytes({0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0x56, 0x34, 0x12, 0, 3, 2, 1, 0}));
}

TEST(BmpFormat, LinesArePaddedToFourBytes) {
    EXPECT_EQ(plan(4, 1, 8, 0)->line_bytes, 4u);
    EXPECT_EQ(plan(5, 1, 8, 0)->line_bytes, 8u);
    EXPECT_EQ(plan(1, 1, 24, 0)->line_bytes, 4u);
    EXPECT_EQ(plan(2, 1, 24, 0)->line_bytes, 8u);
    EXPECT_EQ(plan(3, 1, 24, 0)->line_bytes, 12u);
    EXPECT_EQ(plan(4, 1, 24, 0)->line_bytes, 12u);
}

TEST(BmpFormat, RefusesWhatTheSizeFieldsCannotHold) {
    constexpr std::int64_t max_side = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(plan(max_side + 1, 1, 8, 0));
    EXPECT_FALSE(plan(1, max_side + 1, 8, 0));
    EXPECT_FALSE(plan(0, 1, 8, 0));
    EXPECT_FALSE(plan(1, -3, 8, 0));
    // With 256 palette entries the pixels may take 0xFFFFFFFF - 1078 bytes.
    const auto largest = plan(1, 1073741554, 8, 256);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->file_size, 0xFFFFFFFFu - 1u);
    EXPECT_FALSE(plan(1, 1073741555, 8, 256));
    EXPECT_FALSE(plan(max_side, max_side, 24, 0));  // would overflow 32 bits many times over
}

}  // namespace
}  // namespace gridlib::bmp
