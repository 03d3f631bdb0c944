// Level table arithmetic and the histogram file.
#include "convert/levels.h"

#include "convert/files.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <limits>
#include <numeric>
#include <vector>

namespace gridlib::convert {
namespace {

// Truncation toward zero, kept within int32 so that a hostile table cannot
// make the conversion undefined.
std::int32_t truncated(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::uint32_t little_endian_u32(const std::byte* p) {
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16 | std::to_integer<std::uint32_t>(p[3]) << 24;
}

// The thresholds and steps of the equalisation are single-precision values.
constexpr float kEqualLimits = 1.0e-6f;
constexpr float kWidening = 0.01f;
constexpr float kNarrowRange = 0.01f;
constexpr float kLevelRounding = 0.0001f;
constexpr double kMaxScaledTotal = 32000.0;

}  // namespace

void fill_log_distribution(LevelTable& levels) {
    for (std::size_t i = 0; i < kBins; ++i) {
        levels[i] = truncated(100.0 * std::exp(-static_cast<double>(i + 1) / 1024.0));
    }
}

float widened_upper(float lower, float upper) {
    if (!(std::fabs(static_cast<double>(upper) - static_cast<double>(lower)) < static_cast<double>(kEqualLimits)))
        return upper;
    const float widened = static_cast<float>(static_cast<double>(upper) + static_cast<double>(kWidening));
    if (widened > lower) return widened;
    // Above 2^18 a float step exceeds 0.02 and adding 0.01 rounds back.
    return std::nextafter(std::max(lower, upper), std::numeric_limits<float>::infinity());
}

void equalise(LevelTable& levels, float lower, float& upper) {
    upper = widened_upper(lower, upper);
    levels[0] = 0;
    if (std::fabs(static_cast<double>(upper) - static_cast<double>(lower)) < static_cast<double>(kNarrowRange)) {
        std::iota(levels.begin(), levels.end(), 1);
        return;
    }
    // A count below zero can only come from a damaged table; counted as none,
    // it cannot make the levels fall.
    const auto count = [&](std::size_t i) { return std::max(0.0, static_cast<double>(levels[i])); };
    double total = 0.0;
    for (std::size_t i = 0; i < kBins; ++i) total += count(i);
    const double factor = total > kMaxScaledTotal ? kMaxScaledTotal / total : 1.0;
    for (std::size_t i = 1; i < kBins; ++i) {
        levels[i] = truncated(static_cast<double>(levels[i - 1]) + count(i) * factor);
    }
    const double last = levels[kBins - 1];
    if (last <= 0.0) return;
    for (std::int32_t& level : levels) {
        level = truncated(static_cast<double>(level) * 4095.0 / last + 1.0 + static_cast<double>(kLevelRounding));
    }
}

HistogramRead read_histogram_file(const std::string& path, HistogramFile& out) {
    if (!is_regular_file(path)) return HistogramRead::cannot_open;
    std::ifstream file(path, std::ios::binary);
    if (!file) return HistogramRead::cannot_open;
    std::vector<std::byte> bytes(kHistogramFileSize);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) return HistogramRead::cannot_open;
    if (static_cast<std::size_t>(file.gcount()) < bytes.size()) return HistogramRead::too_short;
    // The two limits sit at the unaligned offsets 2 and 6.
    out.lower = std::bit_cast<float>(little_endian_u32(&bytes[2]));
    out.upper = std::bit_cast<float>(little_endian_u32(&bytes[6]));
    for (std::size_t i = 0; i < kBins; ++i) {
        out.levels[i] = static_cast<std::int32_t>(little_endian_u32(&bytes[10 + 4 * i]));
    }
    return HistogramRead::ok;
}

}  // namespace gridlib::convert
