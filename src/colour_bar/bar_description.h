// What a colour bar shows, independent of how the colours were chosen: an
// ordered list of colour steps, each with the data value where it begins,
// the axis the steps are laid along, and whether a "no data" swatch is due.
// A palette image's levels and colour table become one here; a palette that
// colours by value can build the same description from its own entries.
#pragma once

#include "colour/colour_table.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace gridlib::colour_bar {

struct ColourStep {
    Rgb8 colour;
    double begins = 0;  // the lowest data value drawn in this colour
};

// How data values are laid along the bar. steps: every colour step takes
// the same length, whatever values it spans (an equalised image's levels);
// linear and log: each value at its place on that axis.
enum class Axis { steps = GRIDLIB_BAR_STEPS, linear = GRIDLIB_BAR_LINEAR, log = GRIDLIB_BAR_LOG };

struct BarDescription {
    std::vector<ColourStep> steps;  // ascending values, at least one
    double upper = 0;               // where the last step ends
    Axis axis = Axis::steps;
    bool has_null = false;
    Rgb8 null_colour{255, 255, 255};
    std::string title;
    // A bar of colours by value, as a palette file colours a grid: each
    // pixel of the bar takes the colour at the value of its middle, and
    // steps holds the one step that begins at the lower limit. Empty for a
    // bar of steps.
    std::function<Rgb8(double value)> colour_at;
    // On a linear axis, the values to label instead of round numbers (a
    // palette file's own), ascending, within the limits.
    std::vector<double> label_values;
};

// The colour steps of a palette image drawn between the limits lower <
// upper with the mapping mode and level table the palette writer takes
// (the table is read only through the levels) and its first colour_count
// entries of the colour table: the bins that share a palette index, one
// after the other, form a step. Entry 0, the null colour, is the swatch's.
BarDescription describe_palette_image(float lower, float upper, std::int32_t mapping_mode,
                                      std::span<const std::int32_t> level_table, std::int32_t colour_count,
                                      ConstColourTableView colour_table);

}  // namespace gridlib::colour_bar
