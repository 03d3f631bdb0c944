// SVG output of the colour bar.
#include "colour_bar/bar_svg.h"

#include "colour_bar/utf8.h"

#include <cstdio>

namespace gridlib::colour_bar {
namespace {

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

// Every digit a double needs to read back as itself.
std::string exact(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string hex(Rgb8 c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
    return text;
}

std::string rect(const Box& b, const std::string& attributes) {
    return "<rect x=\"" + number(b.x) + "\" y=\"" + number(b.y) + "\" width=\"" + number(b.width) +
           "\" height=\"" + number(b.height) + "\" " + attributes + "/>\n";
}

std::string label(const PlacedLabel& l, const std::string& class_name, double size) {
    return "<text class=\"" + class_name + "\" x=\"" + number(l.x) + "\" y=\"" + number(l.y) +
           "\" font-size=\"" + number(size) + "\" dominant-baseline=\"central\" data-value=\"" + exact(l.value) + "\">" +
           xml_text(l.text) + "</text>\n";
}

}  // namespace

double estimated_text_width(const std::string& text, double size, bool bold) {
    return (bold ? 0.78 : 0.7) * size * static_cast<double>(code_points(text).size());
}

std::string xml_text(const std::string& text) {
    std::string out;
    for (const char32_t c : code_points(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // XML 1.0 has no place for most control characters.
            append_utf8(out, (c < 0x20 && c != '\t') || c == 0xFFFE || c == 0xFFFF ? kReplacement : c);
        }
    }
    return out;
}

std::string svg_document(const BarLayout& l) {
    const std::string w = std::to_string(l.width), h = std::to_string(l.height);
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
                    "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"DejaVu Sans, sans-serif\">\n";
    s += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
    s += "<text class=\"title\" x=\"" + number(l.bar.x) + "\" y=\"" + number(l.title_baseline) + "\" font-size=\"" +
         number(l.title_size) + "\" font-weight=\"bold\">" + xml_text(l.title) + "</text>\n";
    s += "<g shape-rendering=\"crispEdges\">\n";
    for (const PlacedStep& step : l.steps)
        s += rect(step.box, "class=\"step\" fill=\"" + hex(step.colour) + "\" data-begins=\"" +
                                exact(step.begins) + "\"");
    s += "</g>\n";
    s += rect(l.bar, "class=\"frame\" fill=\"none\" stroke=\"#000000\"");
    const double tick_x = l.bar.x + l.bar.width;
    for (const PlacedLabel& t : l.labels) {
        s += "<line x1=\"" + number(tick_x) + "\" y1=\"" + number(t.y) + "\" x2=\"" + number(tick_x + l.tick_length) +
             "\" y2=\"" + number(t.y) + "\" stroke=\"#000000\"/>\n";
        s += label(t, "label", l.label_size);
    }
    if (l.has_null) {
        s += rect(l.null_swatch, "class=\"no-data\" fill=\"" + hex(l.null_colour) + "\" stroke=\"#000000\"");
        s += label(l.null_label, "no-data-label", l.label_size);
    }
    s += "</svg>\n";
    return s;
}

}  // namespace gridlib::colour_bar
