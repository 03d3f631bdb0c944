// Palette choice and the step colours of a shaded relief.
#include "convert/palette.h"

#include <algorithm>

namespace gridlib::convert {
namespace {

ColourTable rainbow_colours() {
    const std::int32_t scheme = 2;
    const float light_azimuth = 0.0f, light_elevation = 0.0f;
    const std::int32_t packed_colours = 0, user_colour_count = 0;
    const float user_colour_table = 0.0f;
    ColourTable table;
    COLORMAP(&scheme, &light_azimuth, &light_elevation, &packed_colours, &user_colour_count, &user_colour_table,
             &table.count, table.values.data());
    return table;
}

std::string fault_text(std::int32_t status) {
    switch (status) {
    case GRIDLIB_PALETTE_FIELDS: return "it has too few or too many fields";
    case GRIDLIB_PALETTE_VALUE: return "its value is not a number";
    case GRIDLIB_PALETTE_COLOUR: return "a colour is not made of numbers 0 to 255";
    case GRIDLIB_PALETTE_COLOUR_MODEL: return "its colour model is not RGB";
    case GRIDLIB_PALETTE_LONG_LINE: return "it is longer than 4096 bytes";
    case GRIDLIB_PALETTE_MANY_STOPS: return "it brings the values with a colour beyond 65536";
    default: return "it cannot be read";
    }
}

// Reads the file, with room for more stops when the first try had too little.
std::variant<Palette, Failure> read_stops(const std::string& name) {
    const NameText name_text(name, name.size() + 1);
    PaletteStops stops;
    std::int32_t capacity = 256, line = 0, status = GRIDLIB_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        stops.values.assign(static_cast<std::size_t>(capacity), 0.0);
        stops.kinds.assign(static_cast<std::size_t>(capacity), 0);
        stops.colours.assign(4 * static_cast<std::size_t>(capacity), 0);
        gridlib_read_palette_file(name_text.data(), name_text.length(), &capacity, &stops.count, stops.values.data(),
                                  stops.kinds.data(), stops.colours.data(), stops.extra.data(), &line, &status);
        if (status != GRIDLIB_PALETTE_TOO_MANY) break;
        capacity = stops.count;
    }
    switch (status) {
    case GRIDLIB_OK: return Palette(std::move(stops));
    case GRIDLIB_PALETTE_UNREADABLE: return failure(status, "The palette file could not be read : " + name);
    case GRIDLIB_PALETTE_NO_STOPS: return failure(status, "The palette file holds no value with a colour : " + name);
    default:
        return failure(status, "The palette file has a line it cannot use, line " + std::to_string(line) +
                                   ", where " + fault_text(status) + " : " + name);
    }
}

}  // namespace

std::variant<Palette, Failure> choose_palette(const std::string& value) {
    if (value.empty()) return Palette(rainbow_colours());
    ColourTable table;
    const NameText name(value, value.size() + 1);
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_named_palette(name.data(), name.length(), &table.count, table.values.data(), &status);
    if (status == GRIDLIB_OK) return Palette(std::move(table));
    return read_stops(value);
}

std::vector<std::int32_t> step_colours(const ColourTable& table) {
    std::vector<std::int32_t> steps(3 * GRIDLIB_LEVELS);
    const std::int32_t spread = std::max(table.count - 2, 1);
    for (std::int32_t k = 0; k < GRIDLIB_LEVELS; ++k) {
        // As the palette image picks an entry for level k + 1.
        const auto entry = static_cast<std::size_t>(std::min(2 + k * spread / GRIDLIB_LEVELS, table.count - 1));
        for (std::size_t channel = 0; channel < 3; ++channel)
            steps[channel * GRIDLIB_LEVELS + static_cast<std::size_t>(k)] =
                table.values[channel * GRIDLIB_COLOURS + entry];
    }
    return steps;
}

std::vector<std::int32_t> step_colours(const PaletteStops& stops, Descriptor& d) {
    std::vector<std::int32_t> steps(3 * GRIDLIB_LEVELS);
    std::int32_t status = GRIDLIB_OK;
    gridlib_palette_steps(d.integers(), d.reals(), &stops.count, stops.values.data(), stops.kinds.data(),
                          stops.colours.data(), stops.extra.data(), steps.data(), &status);
    return steps;
}

}  // namespace gridlib::convert
