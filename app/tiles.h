// The converter's tile pyramid (-T): the output name is a folder that
// receives the tiles of the grid at every zoom level and a viewer for a web
// browser, instead of one image.
#pragma once

#include "descriptor.h"
#include "levels.h"
#include "name_text.h"
#include "options.h"
#include "palette.h"

#include <cstdint>
#include <optional>
#include <string>

namespace rastrify {

// The refusals of a pyramid run, before any file is read: options that
// draw what tiles do not (a shaded relief, a width, a world file, a palette
// file), a folder that is not rastrify's to fill, and inputs inside the
// folder that the run would replace. The message that ends the run, if any.
std::optional<std::string> tiles_refusal(const Settings& settings, const Palette& palette,
                                         const std::string& input, const std::string& folder);

// Writes the pyramid of the working grid (descriptor d, the header as read
// placing it) drawn with the mapping mode, levels and colours into folder.
// The message that ends the run, if any.
std::optional<std::string> write_tiles(const Settings& settings, const std::string& input, const NameText& input_text,
                                       const Descriptor& header, const NameText& work, const Descriptor& d,
                                       std::int32_t mapping, const LevelTable& levels, const ColourTable& colours,
                                       const std::string& folder);

}  // namespace rastrify
