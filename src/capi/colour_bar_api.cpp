// C entry point of the colour bar.
#include "gridlib.h"

#include "capi/c_args.h"
#include "colour_bar/bar_description.h"
#include "colour_bar/colour_bar.h"
#include "image/level_mapping.h"

using namespace gridlib;

namespace {

bool known_axis(std::int32_t axis) {
    return axis == GRIDLIB_BAR_STEPS || axis == GRIDLIB_BAR_LINEAR || axis == GRIDLIB_BAR_LOG;
}

std::int32_t write_bar(const char* bar_name, const int32_t* bar_name_length, const char* title,
                       const int32_t* title_length, const char* working_name, const int32_t* working_name_length,
                       const int32_t* ihead, const float* rhead, std::int32_t axis, std::int32_t mapping_mode,
                       const int32_t* levels, std::int32_t colour_count, const int32_t* colour_table) {
    const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
    const bool through_levels = Mapping::from_mode(mapping_mode).through_levels;
    if (!known_axis(axis) || colour_count < 1 || colour_count > static_cast<std::int32_t>(kColourEntries) ||
        (through_levels && !levels) || !(d.colour_min() < d.colour_max()))
        return GRIDLIB_REFUSED;
    const std::string path = capi::FileName(bar_name, bar_name_length).path;
    if (!colour_bar::bar_format_of(path)) return GRIDLIB_REFUSED;

    const std::span<const std::int32_t> level_table =
        levels ? std::span<const std::int32_t>(levels, kLevels) : std::span<const std::int32_t>();
    const ConstColourTableView colours(std::span<const std::int32_t, kColourTableValues>(colour_table,
                                                                                         kColourTableValues));
    colour_bar::BarDescription bar = colour_bar::describe_palette_image(d.colour_min(), d.colour_max(), mapping_mode,
                                                                        level_table, colour_count, colours);
    bar.axis = static_cast<colour_bar::Axis>(axis);
    bar.title = std::string(capi::text_arg(title, title_length));
    const auto has_null = colour_bar::holds_null_cells(capi::FileName(working_name, working_name_length).path,
                                                       d.columns(), d.rows());
    if (!has_null) return GRIDLIB_IMAGE_GRID_UNREADABLE;
    bar.has_null = *has_null;
    return colour_bar::write_colour_bar(path, bar);
}

}  // namespace

extern "C" void gridlib_write_colour_bar(const char* bar_name, const int32_t* bar_name_length, const char* title,
                                         const int32_t* title_length, const char* working_name,
                                         const int32_t* working_name_length, const int32_t* ihead, const float* rhead,
                                         const int32_t* axis, const int32_t* mapping_mode, const int32_t* levels,
                                         const int32_t* colour_count, const int32_t* colour_table,
                                         int32_t* status) noexcept {
    if (!bar_name || !bar_name_length || !title || !title_length || !working_name || !working_name_length || !ihead ||
        !rhead || !axis || !mapping_mode || !colour_count || !colour_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        capi::set_status(status, write_bar(bar_name, bar_name_length, title, title_length, working_name,
                                           working_name_length, ihead, rhead, *axis, *mapping_mode, levels,
                                           *colour_count, colour_table));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}
