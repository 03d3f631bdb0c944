// The converter's colour bar (-L): the colours of the image it drew, beside
// it, written by the library into the run's group of outputs.
#pragma once

#include "descriptor.h"
#include "levels.h"
#include "name_text.h"
#include "options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rastrify {

// A colour table as the library takes it: count entries, stored as
// GRIDLIB_COLOURS reds, then greens, then blues.
struct BarColours {
    std::int32_t count = 0;
    std::vector<std::int32_t> values;
};

// The colour bar's table of a shaded relief: its colours on level ground,
// which is drawn at half brightness (white for null cells, black, then the
// 236 colours of the tinted rainbow the shaded writer uses, untinted).
BarColours level_ground_colours();

// How the bar lays values along it (a gridlib_bar_axis): equal steps for an
// equalised image, values at their places for lin and log.
std::int32_t bar_axis_of(const Settings& settings);

// Writes the bar named settings.colour_bar of the image drawn from the
// working grid with descriptor d, the mapping mode and the level table, in
// the colours given; the input file's name, without its folder, is the
// title. Returns the message that ends the run, if any.
std::optional<std::string> write_colour_bar(const Settings& settings, const std::string& input, const NameText& work,
                                            const Descriptor& d, std::int32_t mapping, const LevelTable& levels,
                                            const BarColours& colours);

}  // namespace rastrify
