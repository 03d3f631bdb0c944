// The palette image writer. The value-to-index mapping is precomputed per
// bin, which keeps the per-cell work (the hot path of a conversion) to a bin
// look-up.
#include "image/palette_writer.h"

#include "colour/binning.h"
#include "image/image_file.h"
#include "image/level_mapping.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gridlib {
namespace {

using image::ImageScale;

constexpr std::uint8_t kNullIndex = 0;

// Palette index of every bin, and of null cells.
class IndexMap {
public:
    IndexMap(const Bins& bins, Mapping mapping, std::span<const std::int32_t> level_table, std::int32_t colour_count)
        : bins_(bins) {
        const BinLevels levels = bin_levels(mapping, level_table);
        for (std::size_t k = 0; k < kLevels; ++k) index_[k] = palette_index(levels[k], colour_count);
        index_[kLevels] = kNullIndex;
    }
    std::uint8_t operator()(float v) const {
        if (!is_valid(v)) return kNullIndex;  // NaN included
        return index_[static_cast<std::size_t>(bins_.bin(v) - 1)];
    }
    // The indices of a run of values: their bins in a loop that vectorises,
    // then a look-up each.
    void indices(std::span<const float> values, std::uint8_t* out) const {
        constexpr std::size_t kRun = 1024;
        std::int32_t bins[kRun];
        for (std::size_t at = 0; at < values.size(); at += kRun) {
            const std::size_t n = std::min(kRun, values.size() - at);
            bins_.zero_based_bins(values.subspan(at, n), bins);
            for (std::size_t i = 0; i < n; ++i) out[at + i] = index_[static_cast<std::size_t>(bins[i])];
        }
    }

private:
    Bins bins_;
    std::array<std::uint8_t, kLevels + 1> index_;  // the last one for null cells
};

// One byte per pixel: the palette index of each kept cell, replicated.
void paint_indices(std::span<const float> row, const IndexMap& index_of, const ImageScale& scale,
                   std::span<std::byte> line) {
    auto* const out = reinterpret_cast<std::uint8_t*>(line.data());
    if (scale.replication == 1 && scale.step == 1) {
        index_of.indices(row, out);
        return;
    }
    const auto step = static_cast<std::size_t>(scale.step);
    const auto rep = static_cast<std::size_t>(scale.replication);
    std::size_t p = 0;
    for (std::size_t c = 0; c < row.size(); c += step, p += rep) std::memset(out + p, index_of(row[c]), rep);
}

}  // namespace

std::int32_t write_palette_image(const std::string& working_path, const std::string& image_path, DescriptorView d,
                                 std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                                 std::int32_t colour_count, ConstColourTableView colour_table, ImageFormat format) {
    if (is_byte_image(d.format())) return GRIDLIB_REFUSED;
    const std::int64_t columns = d.columns(), rows = d.rows();
    const ImageScale scale = image::image_scale(d.image_width(), d.columns());
    // Used up: a later call without a new request draws at full size.
    d.image_width() = 0;

    if (!(d.colour_min() < d.colour_max())) return GRIDLIB_REFUSED;
    const Mapping mapping = Mapping::from_mode(mapping_mode);
    if (columns <= 0 || rows <= 0 || colour_count < 1 || colour_count > static_cast<std::int32_t>(kColourEntries) ||
        (mapping.through_levels && level_table.size() < kLevels))
        return GRIDLIB_REFUSED;

    const auto layout = image::ImageLayout::plan(format, scale.side(columns), scale.side(rows),
                                                 image::Pixels::palette_indices,
                                                 static_cast<std::uint32_t>(colour_count));
    if (!layout) return GRIDLIB_IMAGE_TOO_LARGE;

    const IndexMap index_of(Bins(d.colour_min(), d.colour_max()), mapping, level_table, colour_count);
    return image::write_image(working_path, image_path, d.columns(), rows, scale, *layout, colour_table, [&] {
        return image::LinePainter([&](std::int64_t, std::span<const float> values, std::span<std::byte> pixels) {
            paint_indices(values, index_of, scale, pixels);
            return true;
        });
    });
}

}  // namespace gridlib
