// Numbers and texts for the JSON the viewer and other readers take, safe
// to place inside an HTML script element as well.
#pragma once

#include <string>

namespace gridlib::tiles {

// A quoted JSON string of a text of unknown origin: bytes that are not
// UTF-8 become U+FFFD, and '<', '>' and '&' are escaped so that no "</script>"
// can end the element it stands in.
std::string json_string(const std::string& text);

// A number that reads back as the same double (or float); null when it is
// not finite, which JSON cannot hold.
std::string json_number(double value);
std::string json_number(float value);

}  // namespace gridlib::tiles
