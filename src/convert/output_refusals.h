// The outputs a conversion refuses to write, all found before the grid is
// read: an output that would destroy an input (a file of the grid, the
// histogram or palette file), replace something other than a regular file,
// or be another output of the same run.
#pragma once

#include "convert/descriptor.h"
#include "convert/name_text.h"
#include "convert/palette.h"
#include "convert/settings.h"

#include <optional>
#include <string>

namespace gridlib::convert {

// The name of the image's world file, as the library makes it.
std::string world_file_name(const std::string& image);

// The refusal of the image (a BMP, PNG or TIFF, its kind), of its world
// file when one is asked for (world_file, else empty), of the colour bar
// and of the histogram file to write, against the inputs (the grid, the
// histogram file, the palette when it is a file) and one another; the
// message that ends the run, if any.
std::optional<std::string> outputs_refusal(const Settings& settings, const Palette& palette,
                                           const std::string& image_kind, const std::string& world_file,
                                           const NameText& input, const Descriptor& d);

}  // namespace gridlib::convert
