// The palettes a user picks by name: the rainbow ramp (the default), grey,
// viridis, cividis, magma, turbo, terrain and diverging.
#pragma once

#include "colour/colour_table.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace gridlib {

// Fills the table as build_colour_table fills it, entry 0 white (null
// cells), entry 1 black, then the palette's 236 colours from the lowest
// values up, and returns the colour count 238; nothing for a name that is
// no palette's (any case is accepted). Entries beyond are left as they were.
std::optional<std::int32_t> build_named_palette(std::string_view name, ColourTableView table);

}  // namespace gridlib
