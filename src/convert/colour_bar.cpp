// The colour bar beside the image.
#include "convert/colour_bar.h"

#include "convert/failures.h"

#include "gridlib.h"

namespace gridlib::convert {
namespace {

constexpr std::int32_t kShadedColours = 236;

}  // namespace

// An equalised image (hist, or levels from a histogram file) gives each
// colour step the same length; lin and log lay values along their axis.
std::int32_t bar_axis_of(const Settings& settings) {
    if (!settings.histogram_name.empty()) return GRIDLIB_BAR_STEPS;
    switch (settings.distribution) {
    case Distribution::lin: return GRIDLIB_BAR_LINEAR;
    case Distribution::log: return GRIDLIB_BAR_LOG;
    case Distribution::hist: break;
    }
    return GRIDLIB_BAR_STEPS;
}

NameText title_of(const std::string& input) {
    const std::string title = input.substr(input.rfind('/') + 1);
    return NameText(title, title.size());
}

BarColours level_ground_colours() {
    BarColours colours{2 + kShadedColours, std::vector<std::int32_t>(3 * GRIDLIB_COLOURS, 0)};
    std::vector<std::int32_t>& table = colours.values;
    const auto set = [&](std::int32_t entry, float red, float green, float blue) {
        table[static_cast<std::size_t>(entry)] = static_cast<std::int32_t>(255.0f * red);
        table[static_cast<std::size_t>(GRIDLIB_COLOURS + entry)] = static_cast<std::int32_t>(255.0f * green);
        table[static_cast<std::size_t>(2 * GRIDLIB_COLOURS + entry)] = static_cast<std::int32_t>(255.0f * blue);
    };
    set(0, 1, 1, 1);
    // The shaded writer's scheme and arithmetic: a tint of 0, components
    // times 255 truncated.
    const std::int32_t scheme = 5, no_user_colours = 0;
    const float tint = 0.0f, tint_exponent = 1.0f;
    for (std::int32_t i = 0; i < kShadedColours; ++i) {
        const float fraction = static_cast<float>(i) / static_cast<float>(kShadedColours - 1);
        float red = 0, green = 0, blue = 0;
        CLCRGB(&fraction, &tint, &tint_exponent, &scheme, &no_user_colours, nullptr, &red, &green, &blue);
        set(i + 2, red, green, blue);
    }
    return colours;
}

std::optional<Failure> write_colour_bar(const Settings& settings, const std::string& input, const NameText& work,
                                        const Descriptor& d, std::int32_t mapping, const LevelTable& levels,
                                        const BarColours& colours) {
    const NameText bar(settings.colour_bar, kNameLength);
    const NameText title_text = title_of(input);
    const std::int32_t axis = bar_axis_of(settings);
    std::int32_t status = GRIDLIB_OK;
    gridlib_write_colour_bar(bar.data(), bar.length(), title_text.data(), title_text.length(), work.data(),
                             work.length(), d.integers(), d.reals(), &axis, &mapping, levels.data(), &colours.count,
                             colours.values.data(), &status);
    if (status != GRIDLIB_OK) return failure(status, colour_bar_failure(status, settings.colour_bar));
    return std::nullopt;
}

std::optional<Failure> write_palette_file_bar(const Settings& settings, const std::string& input,
                                              const NameText& work, const Descriptor& d,
                                              const PaletteStops& stops) {
    const NameText bar(settings.colour_bar, kNameLength);
    const NameText title_text = title_of(input);
    std::int32_t status = GRIDLIB_OK;
    gridlib_write_palette_file_bar(bar.data(), bar.length(), title_text.data(), title_text.length(), work.data(),
                                   work.length(), d.integers(), d.reals(), &stops.count, stops.values.data(),
                                   stops.kinds.data(), stops.colours.data(), stops.extra.data(), &status);
    if (status != GRIDLIB_OK) return failure(status, colour_bar_failure(status, settings.colour_bar));
    return std::nullopt;
}

}  // namespace gridlib::convert
