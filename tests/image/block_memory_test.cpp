// The blocks of an image in flight at once fit half of the memory the
// process may use together, whatever the thread count asked for; one block
// is always allowed, its fit being the writer's refusal to make.
#include "image/block_memory.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace gridlib {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20, kGiB = std::uint64_t{1} << 30;

// The block of a palette TIFF drawn from 4 x 3 cells at the requested width.
std::uint64_t tiff_block(std::int32_t width) {
    const image::ImageScale scale = image::image_scale(width, 4);
    const auto layout = image::ImageLayout::plan(ImageFormat::tiff, scale.side(4), scale.side(3),
                                                 image::Pixels::palette_indices, 256);
    EXPECT_TRUE(layout);
    return layout ? image::least_block_memory(*layout, 4, scale) : 0;
}

TEST(BlocksInFlight, FitHalfOfTheMemoryTogether) {
    // A band of 256 lines of 16e6 and of 1e6 one-byte pixels, and its
    // tiles' least streams.
    const std::uint64_t huge = tiff_block(16'000'000), large = tiff_block(1'000'000);
    ASSERT_GT(huge, 4'096'000'000u);
    ASSERT_LT(huge, 4'110'000'000u);
    ASSERT_GT(large, 256'000'000u);
    ASSERT_LT(large, 257'000'000u);
    const struct {
        int threads;
        std::uint64_t block, memory;
        int expected;  // several threads keep 2 blocks each in flight, one thread 1
    } cases[] = {
        // 2 threads kept 4 bands of 4.1 GB in flight on a machine of 24 GiB.
        {2, huge, 24 * kGiB, 1},
        // 64 threads kept 128 bands of 256 MB: 50 fit 12 GiB.
        {64, large, 24 * kGiB, 25},
        {2, large, 24 * kGiB, 2},
        {64, kMiB, kGiB, 64},
        {64, 100 * kMiB, kGiB, 2},     // 5 blocks fit: 4 in flight
        {64, 129 * kMiB, kGiB, 1},     // 3 fit, 4 do not
        {16, 700 * kMiB, kGiB, 1},     // more than half, less than all
        {8, 0, kGiB, 8},               // nothing to hold
        {1, kMiB, 64 * kGiB, 1},       // one thread asked for
        {64, 20'500'000, 700 * kMiB, 8},  // as the test of the executable under a limit
    };
    for (const auto& c : cases)
        EXPECT_EQ(image::threads_for_blocks(c.threads, c.block, c.memory), c.expected)
            << c.threads << " threads, " << c.block << " bytes a block, " << c.memory << " bytes";
}

}  // namespace
}  // namespace gridlib
