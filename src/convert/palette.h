// The palettes of a conversion: a named palette's colour table, which
// colours levels as the rainbow does, or a palette file's stops, which
// colour values in true colour.
#pragma once

#include "convert/descriptor.h"
#include "convert/name_text.h"
#include "convert/notes.h"

#include "gridlib.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace gridlib::convert {

// A colour table as COLORMAP fills it: white for null cells, black, then
// the palette's colours.
struct ColourTable {
    std::int32_t count = 0;
    std::vector<std::int32_t> values = std::vector<std::int32_t>(3 * GRIDLIB_COLOURS, 0);
};

// The stops of a palette file, as gridlib_read_palette_file returns them.
struct PaletteStops {
    std::int32_t count = 0;
    std::vector<double> values;
    std::vector<std::int32_t> kinds;
    std::vector<std::int32_t> colours;
    std::vector<std::int32_t> extra = std::vector<std::int32_t>(12, 0);
};

using Palette = std::variant<ColourTable, PaletteStops>;

// The palette a palette option names: empty for the rainbow, a palette's name
// (which wins over a file of that name), or else a palette file, read
// now. Returns the failure that ends the run when the file cannot be read.
std::variant<Palette, Failure> choose_palette(const std::string& value);

// The colour of every colour step (0..4095), 3 x GRIDLIB_LEVELS values with
// the reds first, for gridlib_draw_shaded_steps: a colour table's entry as
// the palette image would draw the step's level, or a palette file's colour
// at the middle of the step's bin between d's colour limits.
std::vector<std::int32_t> step_colours(const ColourTable& table);
std::vector<std::int32_t> step_colours(const PaletteStops& stops, Descriptor& d);

}  // namespace gridlib::convert
