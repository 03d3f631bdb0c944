// PNG files read back through libpng's reader, apart from the writer's code:
// what the tests compare with the pixels they expect.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gridlib::testing {

struct DecodedPng {
    std::uint32_t width = 0, height = 0;
    bool indexed = false;  // else red, green, blue and alpha
    bool keyed = false;    // stored as red, green and blue, a key colour transparent
    int bit_depth = 0;
    std::vector<std::array<int, 3>> palette;  // red, green, blue
    std::vector<int> palette_alpha;           // the tRNS chunk: alpha of the first entries
    // Top line first: palette indices, or (keyed ones too) red << 24 | green << 16 | blue << 8 | alpha.
    std::vector<std::uint32_t> pixels;
};

// Nothing when the file is missing or libpng finds it damaged.
std::optional<DecodedPng> decode_png(const std::string& path);

inline std::uint32_t rgba(int red, int green, int blue, int alpha) {
    return static_cast<std::uint32_t>(red) << 24 | static_cast<std::uint32_t>(green) << 16 |
           static_cast<std::uint32_t>(blue) << 8 | static_cast<std::uint32_t>(alpha);
}

}  // namespace gridlib::testing
