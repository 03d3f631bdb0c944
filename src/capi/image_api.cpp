// C entry points of the image writers.
#include "gridlib.h"

#include "capi/c_args.h"
#include "image/palette_writer.h"
#include "image/shaded_writer.h"
#include "image/user_colour_writer.h"

using namespace gridlib;

namespace {

// GRD2BMP and GRD2PNG: the same arguments, the same palette indices. A
// GRD2BMP image named as a TIFF is one: a BMP under that name would be
// read as no TIFF at all.
void draw_palette_image(const char* working_name, const int32_t* working_name_length, const char* image_name,
                        const int32_t* image_name_length, int32_t* ihead, const float* rhead,
                        const int32_t* mapping_mode, const int32_t* levels, const int32_t* colour_count,
                        const int32_t* colour_table, int32_t* status, ImageFormat format) noexcept {
    if (!ihead || !rhead || !mapping_mode || !colour_count || !colour_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        // The real part is only read.
        DescriptorView d(ihead, const_cast<float*>(rhead));
        // The level table is only read for mapping mode +-2; linear callers may omit it.
        const std::span<const std::int32_t> level_table =
            levels ? std::span<const std::int32_t>(levels, kLevels) : std::span<const std::int32_t>();
        const ConstColourTableView colours(std::span<const std::int32_t, kColourTableValues>(colour_table,
                                                                                             kColourTableValues));
        const std::string image = capi::FileName(image_name, image_name_length).path;
        if (format == ImageFormat::bmp && image_format_of(image) == ImageFormat::tiff) format = ImageFormat::tiff;
        capi::set_status(status, write_palette_image(capi::FileName(working_name, working_name_length).path, image,
                                                     d, *mapping_mode, level_table, *colour_count, colours, format));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

}  // namespace

extern "C" void GRD2BMP(const char* working_name, const int32_t* working_name_length, const char* image_name,
                        const int32_t* image_name_length, int32_t* ihead, const float* rhead,
                        const int32_t* mapping_mode, const int32_t* levels, const int32_t* colour_count,
                        const int32_t* colour_table, int32_t* status) noexcept {
    draw_palette_image(working_name, working_name_length, image_name, image_name_length, ihead, rhead, mapping_mode,
                       levels, colour_count, colour_table, status, ImageFormat::bmp);
}

extern "C" void GRD2PNG(const char* working_name, const int32_t* working_name_length, const char* image_name,
                        const int32_t* image_name_length, int32_t* ihead, const float* rhead,
                        const int32_t* mapping_mode, const int32_t* levels, const int32_t* colour_count,
                        const int32_t* colour_table, int32_t* status) noexcept {
    draw_palette_image(working_name, working_name_length, image_name, image_name_length, ihead, rhead, mapping_mode,
                       levels, colour_count, colour_table, status, ImageFormat::png);
}

namespace {

// The arguments GRDSUN2BMP and gridlib_draw_shaded_steps share.
struct ShadedCall {
    const char* working_name;
    const int32_t* working_name_length;
    const char* gradient_name;
    const int32_t* gradient_name_length;
    const char* image_name;
    const int32_t* image_name_length;
    const int32_t* ihead;
    const float* rhead;
    const int32_t* invert_flag;
    const int32_t* mapping_mode;
    const int32_t* levels;
    const float *light_x, *light_y, *light_z, *dark_reference, *bright_reference, *slope_table;
};

void draw_shaded(const ShadedCall& a, ShadedColours colours, int32_t* status) noexcept {
    if (!a.ihead || !a.rhead || !a.invert_flag || !a.mapping_mode || !a.light_x || !a.light_y || !a.light_z ||
        !a.dark_reference || !a.bright_reference || !a.slope_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        colours.inverted = *a.invert_flag == 2;
        colours.through_levels = *a.mapping_mode == GRIDLIB_MAPPING_THROUGH_LEVELS;
        // The level table is only read through mapping mode 2; other callers may omit it.
        if (a.levels) colours.level_table = {a.levels, kLevels};
        const Lighting light{*a.light_x, *a.light_y, *a.light_z, *a.dark_reference, *a.bright_reference};
        // The descriptor is only read.
        DescriptorView d(const_cast<std::int32_t*>(a.ihead), const_cast<float*>(a.rhead));
        const std::span<const float, kSlopeSteps> slopes(a.slope_table, kSlopeSteps);
        capi::set_status(status, write_shaded_image(capi::FileName(a.working_name, a.working_name_length).path,
                                                    capi::FileName(a.gradient_name, a.gradient_name_length).path,
                                                    capi::FileName(a.image_name, a.image_name_length).path, d,
                                                    colours, light, slopes));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

}  // namespace

extern "C" void GRDSUN2BMP(const char* working_name, const int32_t* working_name_length, const char* gradient_name,
                           const int32_t* gradient_name_length, const char* image_name,
                           const int32_t* image_name_length, const int32_t* ihead, const float* rhead,
                           const int32_t* pixel_depth, const int32_t* invert_flag, const int32_t* mapping_mode,
                           const int32_t* levels, const int32_t* colour_count, const int32_t* colour_table,
                           const float* light_x, const float* light_y, const float* light_z,
                           const float* dark_reference, const float* bright_reference, const float* slope_table,
                           int32_t* status) noexcept {
    if (!pixel_depth) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    ShadedColours colours;
    colours.bits_per_pixel = *pixel_depth == 8 ? 8 : 24;
    // The colour table is only read for an 8-bit image; other callers may omit it.
    if (colour_count && colour_table) {
        colours.colour_count = *colour_count;
        colours.colour_table.emplace(std::span<const std::int32_t, kColourTableValues>(colour_table, kColourTableValues));
    }
    draw_shaded({working_name, working_name_length, gradient_name, gradient_name_length, image_name,
                 image_name_length, ihead, rhead, invert_flag, mapping_mode, levels, light_x, light_y, light_z,
                 dark_reference, bright_reference, slope_table},
                colours, status);
}

extern "C" void gridlib_draw_shaded_steps(const char* working_name, const int32_t* working_name_length,
                                          const char* gradient_name, const int32_t* gradient_name_length,
                                          const char* image_name, const int32_t* image_name_length,
                                          const int32_t* ihead, const float* rhead, const int32_t* invert_flag,
                                          const int32_t* mapping_mode, const int32_t* levels,
                                          const int32_t* step_colours, const float* light_x, const float* light_y,
                                          const float* light_z, const float* dark_reference,
                                          const float* bright_reference, const float* slope_table,
                                          int32_t* status) noexcept {
    if (!step_colours) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    ShadedColours colours;
    colours.step_colours = {step_colours, 3 * kLevels};
    draw_shaded({working_name, working_name_length, gradient_name, gradient_name_length, image_name,
                 image_name_length, ihead, rhead, invert_flag, mapping_mode, levels, light_x, light_y, light_z,
                 dark_reference, bright_reference, slope_table},
                colours, status);
}

extern "C" void GRD2BMPCOLTAB(const char* working_name, const int32_t* working_name_length, const char* image_name,
                              const int32_t* image_name_length, const int32_t* ihead, const float* rhead,
                              const int32_t* mapping_mode, const int32_t* levels, const int32_t* /*colour_count*/,
                              const int32_t* /*reserved*/, const int32_t* user_colour_count,
                              const float* user_colour_table, int32_t* status) noexcept {
    if (!ihead || !rhead || !mapping_mode || !user_colour_count || !user_colour_table) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        // The descriptor is only read.
        DescriptorView d(const_cast<std::int32_t*>(ihead), const_cast<float*>(rhead));
        // The level table is only read for mapping mode +-2; linear callers may omit it.
        const std::span<const std::int32_t> level_table =
            levels ? std::span<const std::int32_t>(levels, kLevels) : std::span<const std::int32_t>();
        const UserColours user{std::span<const float>(user_colour_table, kUserColourValues), *user_colour_count};
        capi::set_status(status, write_user_colour_image(capi::FileName(working_name, working_name_length).path,
                                                         capi::FileName(image_name, image_name_length).path, d,
                                                         *mapping_mode, level_table, user));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}
