// C entry point of the palette image writer.
#include "gridlib.h"

#include "capi/c_args.h"
#include "image/bmp_writer.h"

using namespace gridlib;

extern "C" void GRD2BMP(const char* working_name, const int32_t* working_name_length, const char* image_name,
                        const int32_t* image_name_length, int32_t* ihead, const float* rhead,
                        const int32_t* mapping_mode, const int32_t* levels, const int32_t* colour_count,
                        const int32_t* colour_table, int32_t* status) noexcept {
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
        capi::set_status(status,
                         gridlib::write_palette_bmp(capi::FileName(working_name, working_name_length).path,
                                                    capi::FileName(image_name, image_name_length).path, d,
                                                    *mapping_mode,
                                          level_table, *colour_count,
                                          ConstColourTableView(std::span<const std::int32_t, kColourTableValues>(
                                              colour_table, kColourTableValues))));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}
