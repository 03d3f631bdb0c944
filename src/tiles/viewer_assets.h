// The viewer's files as the build embedded them: Leaflet from the
// distribution's package and the viewer's own page and script, so that a
// run needs nothing but the library and the page asks no other host.
#pragma once

#include <string_view>

namespace gridlib::tiles::assets {

extern const std::string_view leaflet_js;
extern const std::string_view leaflet_css;
extern const std::string_view viewer_js;
// The page, with the pyramid's facts to be put in place of @PYRAMID@.
extern const std::string_view index_html;

}  // namespace gridlib::tiles::assets
