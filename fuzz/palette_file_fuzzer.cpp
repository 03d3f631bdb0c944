// Fuzzes the palette file reader: the input is the text of a palette file,
// read as a GDAL colour-relief file when its first byte is even and as a
// GMT table when it is odd; every palette it accepts then colours values
// across and beyond its stops, percentages taken of a range from the input.
#include "colour/palette_file.h"

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
            c.alpha > 255)
            __builtin_trap();
    }
    return 0;
}
