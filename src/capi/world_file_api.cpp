// C entry points of the world files that go beside images, and of the
// placement they come from, which also goes into a GeoTIFF image.
#include "gridlib.h"

#include "capi/c_args.h"
#include "formats/grid_placement.h"
#include "formats/grid_selection.h"
#include "image/geotiff_placement.h"
#include "image/world_file.h"

#include <algorithm>

using namespace gridlib;

extern "C" void gridlib_world_file_name(const char* image_name, const int32_t* image_name_length, char* world_name,
                                        const int32_t* world_name_length, int32_t* status) noexcept {
    if (!world_name || !world_name_length || *world_name_length <= 0) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const capi::FileName image(image_name, image_name_length);
        const std::string name = image.path.empty() ? std::string() : world_file_name(image.path);
        const auto capacity = static_cast<std::size_t>(*world_name_length);
        if (name.empty() || name.size() >= capacity) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        std::fill(world_name, world_name + capacity, '\0');
        std::copy(name.begin(), name.end(), world_name);
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_write_world_file(const char* image_name, const int32_t* image_name_length,
                                         const int32_t* ihead, const float* rhead, const int32_t* image_width,
                                         int32_t* status) noexcept {
    if (!ihead || !rhead || !image_width) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const capi::FileName image(image_name, image_name_length);
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        capi::set_status(status, image.path.empty() ? GRIDLIB_REFUSED : write_world_file(image.path, d, *image_width));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

extern "C" void gridlib_write_grid_world_file(const char* image_name, const int32_t* image_name_length,
                                              const char* grid_name, const int32_t* grid_name_length,
                                              const int32_t* ihead, const float* rhead, const int32_t* image_width,
                                              int32_t* status) noexcept {
    if (!ihead || !rhead || !image_width) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const capi::FileName image(image_name, image_name_length), grid(grid_name, grid_name_length);
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        if (image.path.empty() || grid.path.empty()) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        capi::set_status(status, write_world_file(image.path, whole_grid_world_file(grid.path, d, *image_width)));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}

extern "C" void gridlib_read_geotransform(const char* grid_name, const int32_t* grid_name_length,
                                          const int32_t* ihead, const float* rhead, double* geotransform,
                                          int32_t* status) noexcept {
    if (!ihead || !rhead || !geotransform) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        const capi::FileName grid(grid_name, grid_name_length);
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        const auto placement = grid.path.empty() ? std::nullopt : formats::grid_placement(grid.path, d);
        if (!placement) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        const auto six = placement->geotransform();
        std::copy(six.begin(), six.end(), geotransform);
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}

extern "C" void gridlib_place_geotiff(const char* image_name, const int32_t* image_name_length,
                                      const char* grid_name, const int32_t* grid_name_length, const int32_t* ihead,
                                      const float* rhead, int32_t* status) noexcept {
    try {
        // A refused call leaves no earlier placement to misplace the image.
        forget_geotiff_placement();
        const capi::FileName image(image_name, image_name_length), grid(grid_name, grid_name_length);
        if (!ihead || !rhead || image.path.empty() || grid.path.empty()) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        const DescriptorView d = capi::read_only_descriptor(ihead, rhead);
        const auto placement = formats::grid_placement(grid.path, d);
        if (!placement) {
            capi::set_status(status, GRIDLIB_REFUSED);
            return;
        }
        // A grid that is no GeoTIFF, or whose keys do not hold together,
        // places the image without a coordinate system.
        GeoKeys keys = read_geo_keys(formats::split_selection(grid.path).file).value_or(GeoKeys{});
        place_next_geotiff(image.path, {*placement, d.columns(), d.rows(), std::move(keys)});
        capi::set_status(status, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}
