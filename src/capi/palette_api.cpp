// C entry points of the palettes: named palettes, palette files and the
// images drawn through them.
#include "gridlib.h"

#include "capi/c_args.h"
#include "colour/named_palette.h"
#include "colour/palette_file.h"
#include "colour_bar/colour_bar.h"
#include "colour_bar/palette_file_bar.h"
#include "image/value_colour_writer.h"

#include <algorithm>
#include <cmath>

using namespace gridlib;

namespace {

constexpr std::int32_t kNotGiven = -1;

std::int32_t status_of(PaletteFault fault) {
    switch (fault) {
    case PaletteFault::none: return GRIDLIB_OK;
    case PaletteFault::unreadable: return GRIDLIB_PALETTE_UNREADABLE;
    case PaletteFault::fields: return GRIDLIB_PALETTE_FIELDS;
    case PaletteFault::value: return GRIDLIB_PALETTE_VALUE;
    case PaletteFault::colour: return GRIDLIB_PALETTE_COLOUR;
    case PaletteFault::colour_model: return GRIDLIB_PALETTE_COLOUR_MODEL;
    case PaletteFault::no_stops: return GRIDLIB_PALETTE_NO_STOPS;
    case PaletteFault::long_line: return GRIDLIB_PALETTE_LONG_LINE;
    case PaletteFault::many_stops: return GRIDLIB_PALETTE_MANY_STOPS;
    }
    return GRIDLIB_REFUSED;
}

void put_colour(const std::optional<Rgba>& colour, std::int32_t* at) {
    const Rgba c = colour.value_or(Rgba{0, 0, 0, kNotGiven});
    at[0] = c.red;
    at[1] = c.green;
    at[2] = c.blue;
    at[3] = c.alpha;
}

bool in_range(std::int32_t component) { return component >= 0 && component <= 255; }

// A colour of the caller's: nothing where its alpha says none is given, and
// false for a component outside 0..255.
bool take_colour(const std::int32_t* at, std::optional<Rgba>& colour) {
    if (at[3] == kNotGiven) return true;
    if (!std::all_of(at, at + 4, in_range)) return false;
    colour = Rgba{at[0], at[1], at[2], at[3]};
    return true;
}

// The palette the caller's arrays describe; nothing when they are missing or
// out of range.
std::optional<PaletteFile> palette_of(const int32_t* stop_count, const double* stop_values,
                                      const int32_t* stop_kinds, const int32_t* stop_colours,
                                      const int32_t* extra_colours) {
    if (!stop_count || *stop_count <= 0 || !stop_values || !stop_kinds || !stop_colours || !extra_colours)
        return std::nullopt;
    PaletteFile palette;
    for (std::int32_t i = 0; i < *stop_count; ++i) {
        std::optional<Rgba> colour;
        const std::int32_t* c = stop_colours + 4 * i;
        if (!std::isfinite(stop_values[i]) || !std::all_of(c, c + 4, in_range) || !take_colour(c, colour))
            return std::nullopt;
        palette.stops.push_back({stop_values[i], stop_kinds[i] == 1, *colour});
    }
    if (!take_colour(extra_colours, palette.null_colour) || !take_colour(extra_colours + 4, palette.below) ||
        !take_colour(extra_colours + 8, palette.above))
        return std::nullopt;
    return palette;
}

}  // namespace

extern "C" void gridlib_named_palette(const char* name, const int32_t* name_length, int32_t* colour_count,
                                      int32_t* colour_table, int32_t* status) noexcept {
    if (!colour_count || !colour_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const auto count = build_named_palette(
            capi::FileName(name, name_length).path,
            ColourTableView(std::span<std::int32_t, kColourTableValues>(colour_table, kColourTableValues)));
        if (count) *colour_count = *count;
        capi::set_status(status, count ? GRIDLIB_OK : GRIDLIB_REFUSED);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_read_palette_file(const char* name, const int32_t* name_length, const int32_t* capacity,
                                          int32_t* stop_count, double* stop_values, int32_t* stop_kinds,
                                          int32_t* stop_colours, int32_t* extra_colours, int32_t* line,
                                          int32_t* status) noexcept {
    if (!capacity || !stop_count || !stop_values || !stop_kinds || !stop_colours || !extra_colours || !line) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        *line = 0;
        const auto read = read_palette_file(capi::FileName(name, name_length).path);
        if (const auto* error = std::get_if<PaletteError>(&read)) {
            *line = static_cast<std::int32_t>(std::min<std::size_t>(error->line, INT32_MAX));
            capi::set_status(status, status_of(error->fault));
            return;
        }
        const auto& palette = std::get<PaletteFile>(read);
        if (palette.stops.size() > INT32_MAX) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        *stop_count = static_cast<std::int32_t>(palette.stops.size());
        if (*stop_count > *capacity) {
            capi::set_status(status, GRIDLIB_PALETTE_TOO_MANY);
            return;
        }
        for (std::size_t i = 0; i < palette.stops.size(); ++i) {
            stop_values[i] = palette.stops[i].value;
            stop_kinds[i] = palette.stops[i].percent ? 1 : 0;
            put_colour(palette.stops[i].colour, stop_colours + 4 * i);
        }
        put_colour(palette.null_colour, extra_colours);
        put_colour(palette.below, extra_colours + 4);
        put_colour(palette.above, extra_colours + 8);
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_draw_palette_image(const char* working_name, const int32_t* working_name_length,
                                           const char* image_name, const int32_t* image_name_length,
                                           const int32_t* ihead, const float* rhead, const int32_t* stop_count,
                                           const double* stop_values, const int32_t* stop_kinds,
                                           const int32_t* stop_colours, const int32_t* extra_colours,
                                           int32_t* status) noexcept {
    try {
        const auto palette = palette_of(stop_count, stop_values, stop_kinds, stop_colours, extra_colours);
        if (!ihead || !rhead || !palette) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        // The descriptor is only read.
        DescriptorView d(const_cast<std::int32_t*>(ihead), const_cast<float*>(rhead));
        capi::set_status(status, write_value_colour_image(capi::FileName(working_name, working_name_length).path,
                                                          capi::FileName(image_name, image_name_length).path, d,
                                                          *palette));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

extern "C" void gridlib_palette_steps(const int32_t* ihead, const float* rhead, const int32_t* stop_count,
                                      const double* stop_values, const int32_t* stop_kinds,
                                      const int32_t* stop_colours, const int32_t* extra_colours,
                                      int32_t* step_colours, int32_t* status) noexcept {
    try {
        const auto palette = palette_of(stop_count, stop_values, stop_kinds, stop_colours, extra_colours);
        if (!ihead || !rhead || !palette || !step_colours) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        DescriptorView d(const_cast<std::int32_t*>(ihead), const_cast<float*>(rhead));
        const double lower = d.colour_min(), upper = d.colour_max();
        if (!(lower < upper)) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        const ValueColours colour_of(*palette, d.data_min(), d.data_max());
        for (std::size_t k = 0; k < kLevels; ++k) {
            const double middle = lower + (static_cast<double>(k) + 0.5) * (upper - lower) / kLevels;
            const Rgba c = colour_of(middle);
            step_colours[k] = c.red;
            step_colours[kLevels + k] = c.green;
            step_colours[2 * kLevels + k] = c.blue;
        }
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_write_palette_file_bar(const char* bar_name, const int32_t* bar_name_length, const char* title,
                                              const int32_t* title_length, const char* working_name,
                                              const int32_t* working_name_length, const int32_t* ihead,
                                              const float* rhead, const int32_t* stop_count,
                                              const double* stop_values, const int32_t* stop_kinds,
                                              const int32_t* stop_colours, const int32_t* extra_colours,
                                              int32_t* status) noexcept {
    try {
        const auto palette = palette_of(stop_count, stop_values, stop_kinds, stop_colours, extra_colours);
        if (!bar_name || !bar_name_length || !title || !title_length || !working_name || !working_name_length ||
            !ihead || !rhead || !palette) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        const std::string path = capi::FileName(bar_name, bar_name_length).path;
        if (!colour_bar::bar_format_of(path) || !(d.data_min() <= d.data_max())) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        colour_bar::BarDescription bar = colour_bar::describe_palette_file(*palette, d.data_min(), d.data_max());
        bar.title = std::string(capi::text_arg(title, title_length));
        const auto has_null = colour_bar::holds_null_cells(capi::FileName(working_name, working_name_length).path,
                                                           d.columns(), d.rows());
        if (!has_null) {
            capi::set_status(status, GRIDLIB_IMAGE_GRID_UNREADABLE);
            return;
        }
        bar.has_null = *has_null;
        capi::set_status(status, colour_bar::write_colour_bar(path, bar));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}
