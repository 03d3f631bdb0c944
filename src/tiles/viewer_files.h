// What the browser needs beside the tiles: the page and its scripts, the
// colour bar, and pyramid.json, the pyramid's facts for the viewer and for
// other readers.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "tiles/pyramid_folder.h"
#include "tiles/pyramid_writer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::tiles {

struct ViewerFacts {
    std::int64_t columns = 0, rows = 0;
    int levels = 0;
    float minimum = 0, maximum = 0;
    std::optional<std::array<double, 6>> geotransform;
};

// The JSON text of the facts; the title is the colour bar's.
std::string pyramid_json(const ViewerFacts& facts, const std::string& title);

// Writes pyramid.json, colour_bar.svg, index.html, viewer.js, leaflet.js
// and leaflet.css into the folder; false on failure. May throw std::bad_alloc.
// A file added here goes into the mark file's list too (kViewerFiles in
// pyramid_contents.cpp): the next run replaces only what the list names.
bool write_viewer(const PyramidFolder& folder, const ViewerFacts& facts, const PyramidRequest& request,
                  DescriptorView d, bool has_null);

}  // namespace gridlib::tiles
