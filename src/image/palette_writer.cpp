// The palette image writer: palette indices (image/palette_indices.h),
// replicated or sampled to the requested width.
#include "image/palette_writer.h"

#include "colour/binning.h"
#include "image/block_memory.h"
#include "image/image_file.h"
#include "image/level_mapping.h"
#include "image/palette_indices.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gridlib {
namespace {

using image::ImageScale;

// One byte per pixel: the palette index of each kept cell, replicated.
void paint_indices(std::span<const float> row, const PaletteIndices& index_of, const ImageScale& scale,
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
    if (!layout) return image::beyond_format();

    const PaletteIndices index_of(Bins(d.colour_min(), d.colour_max()), mapping, level_table, colour_count);
    return image::write_image(working_path, image_path, d.columns(), rows, scale, *layout, colour_table, [&] {
        return image::LinePainter([&](std::int64_t, std::span<const float> values, std::span<std::byte> pixels) {
            paint_indices(values, index_of, scale, pixels);
            return true;
        });
    });
}

}  // namespace gridlib
