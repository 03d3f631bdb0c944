// The colour bar of a conversion: the colours of the image it drew, beside
// it, written into the run's group of outputs.
#pragma once

#include "convert/descriptor.h"
#include "convert/levels.h"
#include "convert/name_text.h"
#include "convert/notes.h"
#include "convert/palette.h"
#include "convert/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gridlib::convert {

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

// The bar's title: the input file's name without its folder.
NameText title_of(const std::string& input);

// Writes the bar named settings.colour_bar of the image drawn from the
// working grid with descriptor d, the mapping mode and the level table, in
// the colours given; the input file's name, without its folder, is the
// title. Returns the failure that ends the run, if any.
std::optional<Failure> write_colour_bar(const Settings& settings, const std::string& input, const NameText& work,
                                        const Descriptor& d, std::int32_t mapping, const LevelTable& levels,
                                        const BarColours& colours);

// The same for the image of a palette file's stops: its colours by value
// over the grid's data range, labelled at the file's own values.
std::optional<Failure> write_palette_file_bar(const Settings& settings, const std::string& input,
                                              const NameText& work, const Descriptor& d,
                                              const PaletteStops& stops);

}  // namespace gridlib::convert
