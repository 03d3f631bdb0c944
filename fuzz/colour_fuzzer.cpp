// Fuzzes the colour routines with any numbers: colour tables of every
// scheme with a user table and packed colours taken from the input, single
// colours of any fraction and tint, and the colour-space conversions.
#include "colour/colour_map.h"
#include "colour/colour_ramp.h"
#include "colour/colour_spaces.h"

#include <array>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gridlib;
    constexpr std::size_t kHead = 32;
    if (size < kHead) return 0;
    std::int32_t scheme, count, colour_count;
    float fraction, tint, exponent, azimuth, elevation;
    std::memcpy(&scheme, data, 4);
    std::memcpy(&count, data + 4, 4);
    std::memcpy(&colour_count, data + 8, 4);
    std::memcpy(&fraction, data + 12, 4);
    std::memcpy(&tint, data + 16, 4);
    std::memcpy(&exponent, data + 20, 4);
    std::memcpy(&azimuth, data + 24, 4);
    std::memcpy(&elevation, data + 28, 4);

    // The rest of the input fills the user table and the packed colours.
    std::vector<float> user_values(kUserColourValues, 0.0f);
    std::memcpy(user_values.data(), data + kHead, std::min(size - kHead, user_values.size() * 4));
    std::array<std::int32_t, 16> packed{};
    std::memcpy(packed.data(), data + kHead, std::min(size - kHead, packed.size() * 4));
    const UserColours user{user_values, count};

    std::array<std::int32_t, kColourTableValues> table{};
    build_colour_table(scheme, {azimuth, elevation}, packed, user, colour_count, ColourTableView(table));
    const Rgb c = scheme_colour(fraction, tint, exponent, scheme, user);
    Rgb clamped = c;
    const Hsv hsv = rgb_to_hsv(clamped);
    hsv_to_rgb(hsv);
    hsl_to_rgb(rgb_to_hsl(c));
    hsl_to_rgb({fraction, tint, exponent});
    hsv_to_rgb({fraction, tint, exponent});
    return 0;
}
