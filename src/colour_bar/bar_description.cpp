// Colour steps of a palette image, by the palette writer's own rules.
#include "colour_bar/bar_description.h"

#include "colour/binning.h"
#include "image/level_mapping.h"

namespace gridlib::colour_bar {

BarDescription describe_palette_image(float lower, float upper, std::int32_t mapping_mode,
                                      std::span<const std::int32_t> level_table, std::int32_t colour_count,
                                      ConstColourTableView colour_table) {
    const Bins bins(lower, upper);
    const BinLevels levels = bin_levels(Mapping::from_mode(mapping_mode), level_table);
    BarDescription bar;
    bar.upper = upper;
    bar.null_colour = colour_table.get(0);
    int previous = -1;
    for (std::size_t k = 0; k < kLevels; ++k) {
        const int index = palette_index(levels[k], colour_count);
        if (index == previous) continue;
        previous = index;
        // Bin k + 1 begins k widths above the lower limit; the first bin
        // also takes every value below it.
        const double begins = double(lower) + double(k) * double(bins.width());
        bar.steps.push_back({colour_table.get(static_cast<std::size_t>(index)), begins});
    }
    return bar;
}

}  // namespace gridlib::colour_bar
