// C entry points of the colour tables, colour-space conversions and the
// histogram.
#include "gridlib.h"

#include "capi/c_args.h"
#include "colour/colour_map.h"
#include "colour/colour_ramp.h"
#include "colour/colour_spaces.h"
#include "colour/histogram.h"

namespace {

using namespace gridlib;

// The user colour table is only read by the schemes that use it; callers
// that do not use it may pass a single value.
UserColours user_colours(const std::int32_t* count, const float* table) {
    return {table ? std::span<const float>(table, kUserColourValues) : std::span<const float>(), count ? *count : 0};
}

}  // namespace

extern "C" void COLORMAP(const int32_t* scheme, const float* light_azimuth, const float* light_elevation,
                         const int32_t* packed_colours, const int32_t* user_colour_count,
                         const float* user_colour_table, int32_t* colour_count, int32_t* colour_table) noexcept {
    if (!scheme || !colour_count || !colour_table) return;
    try {
        const LightDirection light{light_azimuth ? *light_azimuth : 0.0f, light_elevation ? *light_elevation : 0.0f};
        // The packed list is only read by scheme 3, and other callers may pass a single word.
        std::span<const std::int32_t> packed;
        if (*scheme == 3 && packed_colours) packed = {packed_colours, 16};
        *colour_count = gridlib::build_colour_table(*scheme, light, packed, user_colours(user_colour_count, user_colour_table),
                                          *colour_count, ColourTableView(std::span<std::int32_t, kColourTableValues>(
                                                             colour_table, kColourTableValues)));
    } catch (...) {
    }
}

extern "C" void CLCRGB(const float* fraction, const float* tint, const float* tint_exponent, const int32_t* scheme,
                       const int32_t* user_colour_count, const float* user_colour_table, float* red, float* green,
                       float* blue) noexcept {
    if (!fraction || !scheme || !red || !green || !blue) return;
    const Rgb c = gridlib::scheme_colour(*fraction, tint ? *tint : 0.0f, tint_exponent ? *tint_exponent : 1.0f, *scheme,
                                  user_colours(user_colour_count, user_colour_table));
    *red = c.red;
    *green = c.green;
    *blue = c.blue;
}

extern "C" void RGBHSV(float* red, float* green, float* blue, float* hue, float* saturation,
                       float* value) noexcept {
    if (!red || !green || !blue || !hue || !saturation || !value) return;
    Rgb c{*red, *green, *blue};
    const Hsv h = gridlib::rgb_to_hsv(c);
    *red = c.red;
    *green = c.green;
    *blue = c.blue;
    *hue = h.hue;
    *saturation = h.saturation;
    *value = h.value;
}

extern "C" void HSVRGB(const float* hue, const float* saturation, const float* value, float* red, float* green,
                       float* blue) noexcept {
    if (!hue || !saturation || !value || !red || !green || !blue) return;
    const Rgb c = gridlib::hsv_to_rgb({*hue, *saturation, *value});
    *red = c.red;
    *green = c.green;
    *blue = c.blue;
}

extern "C" void RGBHSL(const float* red, const float* green, const float* blue, float* hue, float* saturation,
                       float* lightness) noexcept {
    if (!red || !green || !blue || !hue || !saturation || !lightness) return;
    const Hsl h = gridlib::rgb_to_hsl({*red, *green, *blue});
    *hue = h.hue;
    *saturation = h.saturation;
    *lightness = h.lightness;
}

extern "C" void HSLRGB(const float* hue, const float* saturation, const float* lightness, float* red, float* green,
                       float* blue) noexcept {
    if (!hue || !saturation || !lightness || !red || !green || !blue) return;
    const Rgb c = gridlib::hsl_to_rgb({*hue, *saturation, *lightness});
    *red = c.red;
    *green = c.green;
    *blue = c.blue;
}

extern "C" void GRDHST(const char* working_name, const int32_t* working_name_length, const int32_t* ihead,
                       float* rhead, const float* tail_fraction, int32_t* levels, int32_t* status) noexcept {
    if (!ihead || !rhead || !tail_fraction || !levels) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        // The integer part is only read.
        DescriptorView d(const_cast<std::int32_t*>(ihead), rhead);
        capi::set_status(status, gridlib::count_histogram(capi::FileName(working_name, working_name_length).path, d, *tail_fraction,
                                                 std::span<std::int32_t, kLevels>(levels, kLevels)));
    } catch (...) {
        capi::set_status(status, GRIDLIB_HISTOGRAM_UNREADABLE);
    }
}
