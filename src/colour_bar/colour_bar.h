// Writing a colour bar file: an SVG or a PNG by the name's extension, under
// a temporary name beside it until complete, as every output is.
#pragma once

#include "colour_bar/bar_description.h"
#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::colour_bar {

enum class BarFormat { svg, png };
// By the name's extension (".svg" or ".png", any case); nothing for another.
std::optional<BarFormat> bar_format_of(const std::string& path);

// Whether the working grid of columns x rows cells holds a null cell; read
// a row at a time, up to the first null. Nothing when it cannot be read.
std::optional<bool> holds_null_cells(const std::string& working_path, std::int32_t columns, std::int32_t rows);

// Writes the bar to path. Returns 0, GRIDLIB_REFUSED (a name of neither
// kind, or a bar without steps or with limits that do not ascend, or not
// positive on a log axis), GRIDLIB_FONT_MISSING or
// GRIDLIB_IMAGE_WRITE_FAILED. May throw std::bad_alloc.
std::int32_t write_colour_bar(const std::string& path, const BarDescription& bar);

}  // namespace gridlib::colour_bar
