// A conversion's tile pyramid: the output name is a folder that receives
// the tiles of the grid at every zoom level and a viewer for a web browser,
// instead of one image.
#pragma once

#include "convert/descriptor.h"
#include "convert/levels.h"
#include "convert/name_text.h"
#include "convert/notes.h"
#include "convert/palette.h"
#include "convert/settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::convert {

// The refusals of a pyramid run, before any file is read: options that
// draw what tiles do not (a shaded relief, a width, a world file, a palette
// file), a folder that is not rastrify's to fill, and inputs inside the
// folder that the run would replace. The message that ends the run, if any.
std::optional<std::string> tiles_refusal(const Settings& settings, const Palette& palette);

// Writes the pyramid of the working grid (descriptor d, the header as read
// placing it) drawn with the mapping mode, levels and colours into the
// output folder.
// The failure that ends the run, if any.
std::optional<Failure> write_tiles(const Settings& settings, const NameText& input_text, const Descriptor& header,
                                   const NameText& work, const Descriptor& d, std::int32_t mapping,
                                   const LevelTable& levels, const ColourTable& colours);

// The message of an output group's commit that failed to put the pyramid
// in place: the folder changed since it was checked, or a rename failed.
Failure tiles_commit_failure(const Settings& settings);

}  // namespace gridlib::convert
