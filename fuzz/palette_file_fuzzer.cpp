// Fuzzes the palette file reader: the input is the text of a palette file,
// read as a GDAL colour-relief file when its first byte is even and as a
// GMT table when it is odd; every palette it accepts then colours values
// across and beyond its stops, percentages taken of a range from the input,
// each colour one that may_give admits, and its colour bar is laid out and
// written as SVG over the range as a grid's 32-bit limits hold it.
#include "colour/palette_file.h"
#include "colour_bar/bar_layout.h"
#include "colour_bar/bar_svg.h"
#include "colour_bar/palette_file_bar.h"

#include <cmath>
#include <limits>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    if (size == 0) return 0;
    const bool gmt = (data[0] & 1u) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto parsed = parse_palette(text, gmt);
    const auto* palette = std::get_if<PaletteFile>(&parsed);
    if (!palette) return 0;
    const double lower = palette->stops.front().value, upper = palette->stops.back().value;
    const ValueColours colours(*palette, lower, upper);
    for (const double v : {lower, upper, (lower + upper) / 2, -1e300, 1e300, 0.0,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        const Rgba c = colours(v);
        if (c.red < 0 || c.red > 255 || c.green < 0 || c.green > 255 || c.blue < 0 || c.blue > 255 || c.alpha < 0 ||
            c.alpha > 255 || !colours.may_give(c.red, c.green, c.blue))
            __builtin_trap();
    }
    const float low = static_cast<float>(lower), high = static_cast<float>(upper);
    if (std::isfinite(low) && std::isfinite(high) && low <= high) {
        const auto bar = colour_bar::describe_palette_file(*palette, low, high);
        if (std::isfinite(bar.upper) && colour_bar::svg_document(colour_bar::lay_out(bar, colour_bar::estimated_text_width)).empty())
            __builtin_trap();
    }
    return 0;
}
