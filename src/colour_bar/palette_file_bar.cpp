// A palette file's bar, coloured by the image writer's own rule.
#include "colour_bar/palette_file_bar.h"

#include <cmath>
#include <memory>

namespace gridlib::colour_bar {

BarDescription describe_palette_file(const PaletteFile& palette, double lower, double upper) {
    // The limits are the 32-bit reals of the descriptor: the next one up
    // is still a limit the bar can lay values along.
    if (!(upper > lower)) upper = std::nextafter(static_cast<float>(lower), HUGE_VALF);
    // Shared: a bar description is copied, and its colours with it.
    const auto colours = std::make_shared<const ValueColours>(palette, lower, upper);
    BarDescription bar;
    bar.axis = Axis::linear;
    bar.upper = upper;
    bar.colour_at = [colours](double value) {
        const Rgba c = (*colours)(value);
        return Rgb8{c.red, c.green, c.blue};
    };
    bar.steps.push_back({bar.colour_at(lower), lower});
    if (const auto& null = colours->null_colour()) bar.null_colour = {null->red, null->green, null->blue};
    for (const double v : colours->stop_values())
        if (v >= lower && v <= upper && (bar.label_values.empty() || v > bar.label_values.back()))
            bar.label_values.push_back(v);
    if (bar.label_values.empty()) bar.label_values = {lower, upper};
    return bar;
}

}  // namespace gridlib::colour_bar
