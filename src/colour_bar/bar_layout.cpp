// Colour bar geometry.
#include "colour_bar/bar_layout.h"

#include <algorithm>
#include <cmath>

namespace gridlib::colour_bar {
namespace {

constexpr double kMargin = 12;
constexpr double kLabelSize = 13;
constexpr double kTitleSize = 14;
constexpr double kBarWidth = 24;
constexpr double kTickLength = 5;
constexpr double kLabelGap = 4;
// Labels a line and a half apart never touch.
constexpr double kLabelSpacing = 1.5 * kLabelSize;
constexpr double kLeastBarLength = 400;
constexpr double kSwatchHeight = 20;

// A bar of colours by value, a pixel at a time from the bottom up: each
// pixel the colour at its middle, neighbours of one colour one step.
std::vector<PlacedStep> pixel_steps(const BarDescription& bar, double bottom, double length) {
    const double lower = bar.steps.front().begins, span = bar.upper - lower;
    const auto pixels = static_cast<std::size_t>(length);
    std::vector<PlacedStep> steps;
    for (std::size_t i = 0; i < pixels; ++i) {
        const double at = static_cast<double>(i);
        const Rgb8 colour = bar.colour_at(lower + (at + 0.5) / length * span);
        if (!steps.empty() && steps.back().colour == colour) {
            steps.back().box.y -= 1;
            steps.back().box.height += 1;
        } else {
            steps.push_back({{kMargin, bottom - at - 1, kBarWidth, 1}, colour, lower + at / length * span});
        }
    }
    return steps;
}

}  // namespace

BarLayout lay_out(const BarDescription& bar, const TextWidth& text_width) {
    BarLayout out;
    out.label_size = kLabelSize;
    out.title_size = kTitleSize;
    out.title = bar.title;
    out.title_baseline = kMargin + kTitleSize;
    out.tick_length = kTickLength;
    // Two pixels a step at least, so that every colour of an equal-step
    // bar shows in a raster too.
    const double length = std::max(kLeastBarLength, 2.0 * static_cast<double>(bar.steps.size()));
    // Room above the bar for the title and for half of the top label.
    const double top = out.title_baseline + kLabelSize;
    out.bar = {kMargin, top, kBarWidth, length};
    const double bottom = top + length;

    if (bar.colour_at) {
        out.steps = pixel_steps(bar, bottom, length);
    } else {
        const std::vector<double> places = step_places(bar);
        // Step edges on whole pixels: a browser that snaps fractional edges
        // leaves a white seam between neighbours. A step shorter than half a
        // pixel has no pixel of its own in the PNG either.
        for (std::size_t i = 0; i < bar.steps.size(); ++i) {
            const double from = places[i], to = i + 1 < places.size() ? places[i + 1] : 1.0;
            const double y_top = std::round(bottom - to * length), y_bottom = std::round(bottom - from * length);
            if (y_bottom > y_top)
                out.steps.push_back(
                    {{kMargin, y_top, kBarWidth, y_bottom - y_top}, bar.steps[i].colour, bar.steps[i].begins});
        }
    }
    const double label_x = kMargin + kBarWidth + kTickLength + kLabelGap;
    double right = label_x;
    for (Tick& t : choose_ticks(bar, kLabelSpacing / length)) {
        right = std::max(right, label_x + text_width(t.text, kLabelSize, false));
        out.labels.push_back({std::move(t.text), label_x, bottom - t.place * length, t.value});
    }
    double lowest = bottom + kLabelSize / 2;
    out.has_null = bar.has_null;
    out.null_colour = bar.null_colour;
    if (bar.has_null) {
        out.null_swatch = {kMargin, bottom + kLabelSpacing, kBarWidth, kSwatchHeight};
        out.null_label = {kNullLabel, label_x, out.null_swatch.y + kSwatchHeight / 2, 0};
        right = std::max(right, label_x + text_width(kNullLabel, kLabelSize, false));
        lowest = out.null_swatch.y + kSwatchHeight;
    }
    right = std::max(right, kMargin + text_width(bar.title, kTitleSize, true));
    out.width = static_cast<int>(std::ceil(right + kMargin));
    out.height = static_cast<int>(std::ceil(lowest + kMargin));
    return out;
}

}  // namespace gridlib::colour_bar
