// The histogram: sampled counting passes, and the narrowing of open limits.
#include "colour/histogram.h"

#include "colour/binning.h"
#include "grid/working_grid.h"
#include "progress/progress.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <optional>

namespace gridlib {
namespace {

// A subsample of at most this many intervals per side keeps every pass at
// about 513 x 513 cells, whatever the size of the grid.
constexpr std::int32_t kSampleIntervals = 512;
constexpr int kMaxNarrowings = 3;
// A narrowing always keeps at least this many of the previous bins, and
// does not bother when the cut points are this far apart.
constexpr int kMinKeptBins = 1024;
constexpr int kWideEnough = 2000;

using Counts = std::array<std::int32_t, kLevels>;

struct Sampling {
    std::int32_t columns, rows, column_step, row_step;
};

// One counting pass; returns the number of values counted, or nothing when
// a sampled row cannot be read.
std::optional<std::int32_t> count_pass(working_grid::Reader& reader, const Sampling& s, std::span<float> row,
                                       const Bins& bins, Counts& counts) {
    counts.fill(0);
    std::int32_t counted = 0;
    const float lower = bins.lower(), upper = bins.upper();
    progress::Reporter progress(progress::Phase::counting, (s.rows - 1) / s.row_step + 1);
    for (std::int64_t r = 1; r <= s.rows; r += s.row_step) {
        if (!reader.read_row(r, row)) return std::nullopt;
        progress.advance((r - 1) / s.row_step + 1);
        for (std::int64_t c = 0; c < s.columns; c += s.column_step) {
            const float v = row[static_cast<std::size_t>(c)];
            if (is_valid(v) && lower <= v && v <= upper) {
                ++counts[static_cast<std::size_t>(bins.bin(v) - 1)];
                ++counted;
            }
        }
    }
    return counted;
}

// The bins (1-based, lo < hi) between which a narrowed range should lie, or
// nothing when the current range is to be kept.
std::optional<std::pair<int, int>> narrowed_bins(const Counts& counts, std::int32_t counted, float tail_fraction) {
    // Each tail may hold tail_fraction percent of the counted values.
    float share = static_cast<float>(counted / 100) * tail_fraction;
    if (!(share >= 1.0f)) return std::nullopt;  // also a NaN fraction
    share = std::min(share, 1.0e9f);           // beyond any possible count
    const auto threshold = static_cast<std::int64_t>(share);
    auto at = [&](int k) -> std::int64_t { return counts[static_cast<std::size_t>(k - 1)]; };
    const int last = static_cast<int>(kLevels);

    int lo = 2;
    std::int64_t sum = at(1) + at(2);
    while (lo < last && sum < threshold) sum += at(++lo);
    int hi = last - 1;
    sum = at(last) + at(last - 1);
    while (hi > 1 && sum < threshold) sum += at(--hi);

    while (hi - lo < kMinKeptBins) {
        lo = std::max(lo - 1, 3);
        hi = std::min(hi + 1, last - 1);
    }
    if (hi - lo >= kWideEnough) return std::nullopt;
    return std::pair{lo, hi};
}

}  // namespace

std::int32_t histogram_sampling_step(std::int32_t count) {
    // The smallest s with (count - 1) / s <= 512 in integer division.
    return count <= 1 ? 1 : (count - 1) / (kSampleIntervals + 1) + 1;
}

std::int32_t count_histogram(const std::string& working_path, DescriptorView d, float tail_fraction,
                             std::span<std::int32_t, kLevels> levels) {
    if (is_byte_image(d.format())) return GRIDLIB_REFUSED;
    if (d.columns() <= 1 || d.rows() <= 1) return GRIDLIB_HISTOGRAM_TOO_SMALL;
    const Sampling sampling{d.columns(), d.rows(), histogram_sampling_step(d.columns()),
                            histogram_sampling_step(d.rows())};

    bool automatic = false;
    if (!(d.colour_min() < d.colour_max())) {
        d.colour_min() = d.data_min();
        d.colour_max() = d.data_max();
        automatic = true;
    }
    if (d.colour_min() > d.colour_max()) return GRIDLIB_REFUSED;
    // A lower limit at the null value means the grid held no valid value.
    if (std::fabs(d.colour_min() - d.null_value()) < 0.1f) return GRIDLIB_REFUSED;
    if (d.colour_min() == d.colour_max()) {
        std::fill(levels.begin(), levels.end(), 0);
        levels[0] = 1;
        return GRIDLIB_OK;
    }
    // Neither ordered nor equal: a limit is NaN, and no value could be binned.
    if (!(d.colour_min() < d.colour_max())) return GRIDLIB_REFUSED;

    auto reader = working_grid::Reader::open(working_path, d.columns());
    if (!reader) return GRIDLIB_HISTOGRAM_UNREADABLE;
    const auto row_values = static_cast<std::size_t>(d.columns());
    // Not initialised: a short file must not cost the touch of a huge buffer.
    std::unique_ptr<float[]> row;
    try {
        row = std::make_unique_for_overwrite<float[]>(row_values);
    } catch (const std::bad_alloc&) {
        return GRIDLIB_REFUSED;
    }

    Counts counts;
    for (int narrowings = 0;; ++narrowings) {
        const float lower = d.colour_min();
        const Bins bins(lower, d.colour_max());
        const auto counted = count_pass(*reader, sampling, std::span(row.get(), row_values), bins, counts);
        if (!counted) return GRIDLIB_HISTOGRAM_UNREADABLE;
        if (!automatic || narrowings == kMaxNarrowings) break;
        const auto cut = narrowed_bins(counts, *counted, tail_fraction);
        if (!cut) break;
        // Measured from the current lower limit with the current bin width.
        d.colour_min() = static_cast<float>(cut->first - 1) * bins.width() + lower;
        d.colour_max() = static_cast<float>(cut->second - 1) * bins.width() + lower;
    }
    std::copy(counts.begin(), counts.end(), levels.begin());
    return GRIDLIB_OK;
}

}  // namespace gridlib
