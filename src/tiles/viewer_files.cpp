// The viewer's files. The facts go into the page itself as well as into
// pyramid.json, so that the page shows its tiles even when opened from the
// disk, where a browser fetches no file; the value read-out needs a server.
#include "tiles/viewer_files.h"

#include "colour_bar/bar_description.h"
#include "colour_bar/bar_layout.h"
#include "colour_bar/bar_svg.h"
#include "tiles/json_text.h"
#include "tiles/pyramid_plan.h"
#include "tiles/viewer_assets.h"

namespace gridlib::tiles {

std::string pyramid_json(const ViewerFacts& f, const std::string& title) {
    std::string geotransform = "null";
    if (f.geotransform) {
        geotransform = "[";
        for (std::size_t k = 0; k < 6; ++k) geotransform += (k ? ", " : "") + json_number((*f.geotransform)[k]);
        geotransform += "]";
        // A placement that is not finite places nothing: the viewer counts cells.
        if (geotransform.find("null") != std::string::npos) geotransform = "null";
    }
    return "{\n  \"title\": " + json_string(title) + ",\n  \"columns\": " + std::to_string(f.columns) +
           ",\n  \"rows\": " + std::to_string(f.rows) + ",\n  \"tile_size\": " + std::to_string(kTileSide) +
           ",\n  \"levels\": " + std::to_string(f.levels) + ",\n  \"minimum\": " + json_number(f.minimum) +
           ",\n  \"maximum\": " + json_number(f.maximum) + ",\n  \"geotransform\": " + geotransform +
           ",\n  \"tiles\": \"tiles/{z}/{x}/{y}.png\",\n  \"values\": \"values/{x}/{y}.f32\"" +
           ",\n  \"value_encoding\": \"float32 little-endian, rows from the north, NaN for no data\"\n}\n";
}

namespace {

std::string colour_bar_svg(const PyramidRequest& request, DescriptorView d, bool has_null) {
    colour_bar::BarDescription bar = colour_bar::describe_palette_image(
        d.colour_min(), d.colour_max(), request.mapping_mode, request.level_table, request.colour_count,
        *request.colour_table);
    bar.axis = static_cast<colour_bar::Axis>(request.axis);
    bar.title = request.title;
    bar.has_null = has_null;
    return colour_bar::svg_document(colour_bar::lay_out(bar, colour_bar::estimated_text_width));
}

}  // namespace

bool write_viewer(const PyramidFolder& folder, const ViewerFacts& facts, const PyramidRequest& request,
                  DescriptorView d, bool has_null) {
    const std::string json = pyramid_json(facts, request.title);
    std::string page(assets::index_html);
    const auto at = page.find("@PYRAMID@");
    if (at != std::string::npos) page.replace(at, 9, json);
    return folder.write_text("pyramid.json", json) && folder.write_text("index.html", page) &&
           folder.write_text("viewer.js", std::string(assets::viewer_js)) &&
           folder.write_text("leaflet.js", std::string(assets::leaflet_js)) &&
           folder.write_text("leaflet.css", std::string(assets::leaflet_css)) &&
           folder.write_text("colour_bar.svg", colour_bar_svg(request, d, has_null));
}

}  // namespace gridlib::tiles
