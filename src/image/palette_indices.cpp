// Palette indices by bin, precomputed once per image, so that the per-cell
// work (the hot path of a conversion) is a bin look-up.
#include "image/palette_indices.h"

#include <algorithm>

namespace gridlib {

PaletteIndices::PaletteIndices(const Bins& bins, Mapping mapping, std::span<const std::int32_t> level_table,
                               std::int32_t colour_count)
    : bins_(bins) {
    const BinLevels levels = bin_levels(mapping, level_table);
    for (std::size_t k = 0; k < kLevels; ++k) index_[k] = palette_index(levels[k], colour_count);
    index_[kLevels] = kNullIndex;
}

void PaletteIndices::indices(std::span<const float> values, std::uint8_t* out) const {
    constexpr std::size_t kRun = 1024;
    std::int32_t bins[kRun];
    for (std::size_t at = 0; at < values.size(); at += kRun) {
        const std::size_t n = std::min(kRun, values.size() - at);
        bins_.zero_based_bins(values.subspan(at, n), bins);
        for (std::size_t i = 0; i < n; ++i) out[at + i] = index_[static_cast<std::size_t>(bins[i])];
    }
}

}  // namespace gridlib
