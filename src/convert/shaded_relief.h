// The shaded relief of a conversion: the colours of the level table, lit
// by a sun at the given azimuth and elevation, as a 24-bit image.
#pragma once

#include "convert/descriptor.h"
#include "convert/levels.h"
#include "convert/name_text.h"
#include "convert/notes.h"
#include "convert/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gridlib::convert {

// The descriptor the slopes of the working grid d are taken with: d itself,
// or for a grid whose header (input, as GRDRDH read it into header) says it
// lies in longitude and latitude a copy with the cell spacings in metres,
// which one console line reports.
Descriptor slope_descriptor(const NameText& input, const Descriptor& header, const Descriptor& d, const Notes& notes);

// Writes the slope codes of the working grid to a temporary gradient file in
// directory (removed again on every ending), from the heights times the
// light's exaggeration over the spacings of `slopes`, and draws the working
// grid through it into the output image: colour by value as the mapping mode (a
// gridlib_mapping_mode; negative inverts the colours) and the level table say,
// brightness by the light on each cell's slope, with level ground at half
// brightness. The image width word asks for the line width as for the flat
// image; an output name ending in ".png" makes a PNG, one in ".tif" or
// ".tiff" a GeoTIFF (image_kind names it in messages). The colours are
// the tinted rainbow, or step_colours (see palette.h) tinted alike when
// there are any. Returns the failure that ends the run, if any.
std::optional<Failure> draw_shaded_relief(const Shading& light, const std::string& directory, const NameText& work,
                                          const NameText& output, Descriptor& d, const Descriptor& slopes,
                                          std::int32_t mapping, const LevelTable& levels, const std::string& image_kind,
                                          const std::vector<std::int32_t>& step_colours = {});

}  // namespace gridlib::convert
