// The colour bar as SVG: text that a browser draws with its own fonts.
#pragma once

#include "colour_bar/bar_description.h"
#include "colour_bar/bar_layout.h"

#include <string>

namespace gridlib::colour_bar {

// The width a browser gives a text in DejaVu Sans, the font the SVG asks
// for: its digits take 0.636 of the size, and no character of the names
// and labels drawn here takes more than 0.7 of it in the common case.
double estimated_text_width(const std::string& text, double size, bool bold);

// The whole SVG document. Each label is a text element of class "label"
// with its value in data-value; steps are rect elements of class "step".
std::string svg_document(const BarLayout& layout);

// The text as XML character data: markup characters escaped, and bytes
// that are not UTF-8 or characters XML forbids replaced, so that any file
// name makes a well-formed document.
std::string xml_text(const std::string& text);

}  // namespace gridlib::colour_bar
