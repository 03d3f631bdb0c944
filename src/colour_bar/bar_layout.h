// The colour bar's geometry in pixels, shared by the SVG and the PNG so
// that both put every step, tick and label at the same place: the bar
// stands upright, low values at the bottom, labels to its right, the title
// above it and the "no data" swatch below it.
#pragma once

#include "colour_bar/bar_description.h"
#include "colour_bar/bar_ticks.h"

#include <functional>
#include <string>
#include <vector>

namespace gridlib::colour_bar {

struct Box {
    double x = 0, y = 0, width = 0, height = 0;
};

struct PlacedStep {
    Box box;
    Rgb8 colour;
    double begins = 0;
};

struct PlacedLabel {
    std::string text;
    double x = 0;
    double y = 0;  // the label's vertical middle: its tick
    double value = 0;
};

struct BarLayout {
    int width = 0, height = 0;
    double label_size = 0, title_size = 0;
    std::string title;
    double title_baseline = 0;
    Box bar;  // the frame around the steps
    std::vector<PlacedStep> steps;
    std::vector<PlacedLabel> labels;
    double tick_length = 0;
    bool has_null = false;
    Box null_swatch;
    Rgb8 null_colour;
    PlacedLabel null_label;
};

// The width in pixels of a text at a font size, in bold for the title.
using TextWidth = std::function<double(const std::string& text, double size, bool bold)>;

BarLayout lay_out(const BarDescription& bar, const TextWidth& text_width);

// The text of the "no data" swatch.
inline constexpr const char* kNullLabel = "no data";

}  // namespace gridlib::colour_bar
