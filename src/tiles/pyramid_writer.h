// A tile pyramid of a working grid with a viewer beside it: the grid read
// once, row band by row band; each level's band painted into PNG tiles and
// averaged into the next coarser level; the finest level's values kept in
// value tiles for the viewer's read-out.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gridlib::tiles {

struct PyramidRequest {
    std::string working_path;
    std::int32_t mapping_mode = GRIDLIB_MAPPING_THROUGH_LEVELS;
    std::span<const std::int32_t> level_table;  // kLevels entries when the mode goes through it
    std::int32_t colour_count = 0;
    std::optional<ConstColourTableView> colour_table;
    std::string title;       // above the colour bar
    std::int32_t axis = 0;   // of the colour bar, a gridlib_bar_axis
    std::optional<std::array<double, 6>> geotransform;  // none: the viewer counts cells
    std::string target;      // the folder
};

// Writes the pyramid of the working grid that d describes (size, colour
// limits colour_min < colour_max, data range) into the target folder: tiles/
// {z}/{x}/{y}.png, values/{x}/{y}.f32, pyramid.json, colour_bar.svg,
// index.html and its scripts, and the mark file that lists them. Everything
// appears at once or not at all (with the thread's output group open: at its
// commit, after its files); an earlier pyramid in the target that holds
// nothing but what it lists is replaced, anything else there refused.
// Returns 0, GRIDLIB_REFUSED (arguments, a byte image, a target that is not
// usable), GRIDLIB_IMAGE_GRID_UNREADABLE or GRIDLIB_IMAGE_WRITE_FAILED.
// May throw std::bad_alloc.
std::int32_t write_pyramid(DescriptorView d, const PyramidRequest& request);

}  // namespace gridlib::tiles
