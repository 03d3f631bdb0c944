// The level table: one entry per equal-width bin between the colour limits,
// holding first counts (a histogram or a synthetic log distribution) and then
// colour levels 1..4096 after equalisation, or levels read from a histogram file.
#pragma once

#include "gridlib.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace gridlib::convert {

inline constexpr std::size_t kBins = GRIDLIB_LEVELS;
using LevelTable = std::array<std::int32_t, kBins>;  // index 0 is bin 1

// A synthetic distribution falling from 99 in bin 1 to 1 in bin 4096:
// truncate(100 * e^(-bin/1024)). Equalised, it spreads the colours
// logarithmically between the limits.
void fill_log_distribution(LevelTable& levels);

// Limits closer than 1.0e-6 (a grid of one value) get the upper one moved
// above the lower: by 0.01, or to the next representable value where 0.01 is
// lost in rounding, so that the limits always ascend and such a grid draws
// in the first colour. Returns the upper limit to use.
float widened_upper(float lower, float upper);

// Turns per-bin counts into colour levels 1..4096 so that each level gets
// about the same number of values (histogram equalisation). The limits are
// first widened as widened_upper does (upper is updated); limits closer than
// 0.01 get the identity table. Bin 1's count never contributes. Sums are formed in double
// and each stored level is truncated toward zero.
void equalise(LevelTable& levels, float lower, float& upper);

// The contents of a histogram file: two colour limits and a ready level table.
struct HistogramFile {
    float lower = 0.0f;
    float upper = 0.0f;
    LevelTable levels{};
};
inline constexpr std::size_t kHistogramFileSize = 2 + 4 + 4 + 4 * kBins;

enum class HistogramRead { ok, cannot_open, too_short };
// Reads a histogram file: 2 unused bytes, the lower and upper limit as
// little-endian 32-bit reals, then 4096 little-endian int32 levels.
HistogramRead read_histogram_file(const std::string& path, HistogramFile& out);

}  // namespace gridlib::convert
