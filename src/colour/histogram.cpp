// The histogram: sampled counting passes, and the narrowing of open limits.
#include "colour/histogram.h"

#include "colour/binning.h"
#include "grid/working_grid.h"
#include "progress/progress.h"
#include "threads/ordered_run.h"
#include "threads/thread_count.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <vector>

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

    std::size_t sampled_columns() const { return static_cast<std::size_t>((columns - 1) / column_step + 1); }
    std::int64_t sampled_rows() const { return (rows - 1) / row_step + 1; }
};

// Sampled rows are read, and sampled cells counted, in blocks of this many rows.
constexpr std::int64_t kRowsPerBlock = 16;

// The sampled cells, row after row: at most 513 x 513 values, read once for
// all counting passes. Empty when a sampled row cannot be read.
std::optional<std::vector<float>> read_sample(const working_grid::Reader& reader, const Sampling& s, int threads) {
    const std::size_t width = s.sampled_columns();
    const auto rows = s.sampled_rows();
    std::vector<float> sample(static_cast<std::size_t>(rows) * width);
    const std::int64_t blocks = (rows + kRowsPerBlock - 1) / kRowsPerBlock;
    // One grid row per slot, not initialised: a short file must not cost
    // the touch of a huge buffer.
    const auto slots = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(threads::slots_for(threads)), blocks));
    std::vector<std::unique_ptr<float[]>> row(slots);
    for (auto& r : row) r = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(s.columns));
    std::vector<std::uint8_t> readable(static_cast<std::size_t>(blocks), 0);
    bool complete = true;
    progress::Reporter progress(progress::Phase::counting, rows);
    threads::Stages stages;
    stages.in_parallel = [&](std::int64_t b, std::size_t slot) {
        const std::span<float> values(row[slot].get(), static_cast<std::size_t>(s.columns));
        for (std::int64_t i = b * kRowsPerBlock; i < std::min(rows, (b + 1) * kRowsPerBlock); ++i) {
            if (!reader.read_rows_concurrently(1 + i * s.row_step, values)) return;
            float* const out = sample.data() + static_cast<std::size_t>(i) * width;
            for (std::size_t c = 0; c < width; ++c) out[c] = values[c * static_cast<std::size_t>(s.column_step)];
        }
        readable[static_cast<std::size_t>(b)] = 1;
    };
    stages.deliver = [&](std::int64_t b, std::size_t) {
        progress.advance(std::min(rows, (b + 1) * kRowsPerBlock));
        complete = readable[static_cast<std::size_t>(b)] != 0;
        return complete;
    };
    threads::run_ordered(blocks, threads, stages);
    if (!complete) return std::nullopt;
    return sample;
}

// One counting pass over the sample; returns the number of values counted.
std::int32_t count_pass(std::span<const float> sample, std::size_t width, const Bins& bins, int threads,
                        Counts& counts) {
    counts.fill(0);
    std::int64_t counted = 0;
    const float lower = bins.lower(), upper = bins.upper();
    const std::int64_t rows = static_cast<std::int64_t>(sample.size() / width);
    const std::int64_t blocks = (rows + kRowsPerBlock - 1) / kRowsPerBlock;
    std::vector<Counts> partial(threads::slots_for(threads));
    std::vector<std::int64_t> partial_counted(partial.size());
    threads::Stages stages;
    stages.in_parallel = [&](std::int64_t b, std::size_t slot) {
        Counts& c = partial[slot];
        c.fill(0);
        std::int64_t n = 0;
        const std::size_t from = static_cast<std::size_t>(b * kRowsPerBlock) * width;
        const std::size_t to = std::min(sample.size(), static_cast<std::size_t>((b + 1) * kRowsPerBlock) * width);
        for (std::size_t i = from; i < to; ++i) {
            const float v = sample[i];
            if (is_valid(v) && lower <= v && v <= upper) {
                ++c[static_cast<std::size_t>(bins.bin(v) - 1)];
                ++n;
            }
        }
        partial_counted[slot] = n;
    };
    stages.deliver = [&](std::int64_t, std::size_t slot) {
        for (std::size_t k = 0; k < kLevels; ++k) counts[k] += partial[slot][k];
        counted += partial_counted[slot];
        return true;
    };
    threads::run_ordered(blocks, threads, stages);
    return static_cast<std::int32_t>(counted);
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
    // Before the row buffers, which grow with the descriptor's column count:
    // the file must hold the last row sampled.
    const std::int64_t last_sampled = 1 + (sampling.sampled_rows() - 1) * sampling.row_step;
    if (!reader || !reader->holds_rows(last_sampled)) return GRIDLIB_HISTOGRAM_UNREADABLE;
    const int threads = threads::thread_count();
    std::optional<std::vector<float>> sample;
    try {
        sample = read_sample(*reader, sampling, threads);
    } catch (const std::bad_alloc&) {
        return GRIDLIB_REFUSED;
    }
    if (!sample) return GRIDLIB_HISTOGRAM_UNREADABLE;

    Counts counts;
    for (int narrowings = 0;; ++narrowings) {
        const float lower = d.colour_min();
        const Bins bins(lower, d.colour_max());
        const std::int32_t counted = count_pass(*sample, sampling.sampled_columns(), bins, threads, counts);
        if (!automatic || narrowings == kMaxNarrowings) break;
        const auto cut = narrowed_bins(counts, counted, tail_fraction);
        if (!cut) break;
        // Measured from the current lower limit with the current bin width.
        d.colour_min() = static_cast<float>(cut->first - 1) * bins.width() + lower;
        d.colour_max() = static_cast<float>(cut->second - 1) * bins.width() + lower;
    }
    std::copy(counts.begin(), counts.end(), levels.begin());
    return GRIDLIB_OK;
}

}  // namespace gridlib
