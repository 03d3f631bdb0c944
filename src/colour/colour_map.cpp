// Colour table construction for every colour scheme.
#include "colour/colour_map.h"

#include "colour/colour_ramp.h"

#include <cmath>

namespace gridlib {
namespace {

constexpr float kRadiansPerDegree = 0.017453292f;
// Entries 0 and 1 are the null colour and black; the scheme's colours follow.
constexpr std::int32_t kFixedEntries = 2;
constexpr std::int32_t kMaxSchemeColours = static_cast<std::int32_t>(kColourEntries) - kFixedEntries;

Rgb8 to_table(Rgb c) { return {to_table_value(c.red), to_table_value(c.green), to_table_value(c.blue)}; }

// Grey levels of a 15 x 15 table of slopes in steps of 12 degrees along x
// (the slower index) and y, lit from the given direction.
void fill_shaded_slopes(LightDirection light, ColourTableView table) {
    const float az = light.azimuth * kRadiansPerDegree;
    const float el = light.elevation * kRadiansPerDegree;
    const float lx = std::sin(az) * std::cos(el);
    const float ly = std::cos(az) * std::cos(el);
    const float lz = std::sin(el);
    // The intensity of a surface facing directly away from the light.
    const float c0 = std::cos((180.0f - light.elevation) * kRadiansPerDegree);
    for (int i = 0; i < 225; ++i) {
        const int p = i / 15 - 7;
        const int q = i % 15 - 7;
        const float sp = std::sin(static_cast<float>(12 * p) * kRadiansPerDegree);
        const float sq = std::sin(static_cast<float>(12 * q) * kRadiansPerDegree);
        const float cross = 1.0f - sp * sp * sq * sq;
        const float nx = sp * std::sqrt((1.0f - sq * sq) / cross);
        const float ny = sq * std::sqrt((1.0f - sp * sp) / cross);
        const float nz = std::sqrt(std::fmax(0.0f, 1.0f - nx * nx - ny * ny));
        float intensity = (nz * lz + nx * lx + ny * ly - c0) / (1.0f - c0);
        // A light from straight below (c0 = 1) gives NaN: drawn dark.
        intensity = intensity > 0.0f ? (intensity < 1.0f ? intensity : 1.0f) : 0.0f;
        const std::int32_t g = to_table_value((intensity + 0.15f) / 1.2f);
        table.set(static_cast<std::size_t>(i + kFixedEntries), {g, g, g});
    }
}

// Element i of the packed list is the colour 0x00BBGGRR, as a Windows
// COLORREF packs it; the bits are taken as they are, so a negative word
// still gives components 0..255.
void fill_packed(std::span<const std::int32_t> packed, ColourTableView table) {
    for (std::size_t i = 0; i < 16; ++i) {
        const auto word = i < packed.size() ? static_cast<std::uint32_t>(packed[i]) : 0u;
        table.set(i + kFixedEntries, {static_cast<std::int32_t>(word & 0xFFu),
                                      static_cast<std::int32_t>((word >> 8) & 0xFFu),
                                      static_cast<std::int32_t>((word >> 16) & 0xFFu)});
    }
}

std::int32_t scheme_colours(std::int32_t scheme, std::int32_t passed_in) {
    switch (scheme) {
        case 1:
        case 2: return 236;
        case 3: return 16;
        case 4:
        case 5:
        case 6:
        case -5: return 225;
        case 7:
        case 8: return 216;
        default: return passed_in < 0 ? 0 : (passed_in > kMaxSchemeColours ? kMaxSchemeColours : passed_in);
    }
}

}  // namespace

std::int32_t to_table_value(float component) {
    if (!(component > 0.0f)) return 0;
    if (component >= 1.0f) return 255;
    return static_cast<std::int32_t>(std::lround(255.0f * component));
}

std::int32_t build_colour_table(std::int32_t scheme, LightDirection light, std::span<const std::int32_t> packed_colours,
                      const UserColours& user, std::int32_t colour_count, ColourTableView table) {
    const std::int32_t n = scheme_colours(scheme, colour_count);
    if (scheme == 4) {
        fill_shaded_slopes(light, table);
    } else if (scheme == 3) {
        fill_packed(packed_colours, table);
    } else if (scheme == 5 || scheme == 6) {
        // 15 groups of 15: the fraction runs 0..1 within a group, the tint
        // from -0.9 to +0.9 over the groups.
        for (std::int32_t i = 0; i < n; ++i) {
            const float fraction = static_cast<float>(i % 15) / 14.0f;
            const float tint = static_cast<float>(i / 15 - 7) / 7.7777f;
            table.set(static_cast<std::size_t>(i + kFixedEntries), to_table(scheme_colour(fraction, tint, 1.0f, scheme, user)));
        }
    } else {
        // With a single colour the ramp has no step: it shows its start.
        const float last = n > 1 ? static_cast<float>(n - 1) : 1.0f;
        for (std::int32_t i = 0; i < n; ++i) {
            const float fraction = static_cast<float>(i) / last;
            table.set(static_cast<std::size_t>(i + kFixedEntries), to_table(scheme_colour(fraction, 0.0f, 1.0f, scheme, user)));
        }
    }
    table.set(0, {255, 255, 255});
    table.set(1, {0, 0, 0});
    return n + kFixedEntries;
}

}  // namespace gridlib
