// C entry points of the tile pyramid.
#include "gridlib.h"

#include "capi/c_args.h"
#include "tiles/pyramid_folder.h"
#include "tiles/pyramid_writer.h"

#include <algorithm>

using namespace gridlib;

namespace {

std::int32_t folder_state_code(tiles::TargetState state) {
    switch (state) {
    case tiles::TargetState::usable: return GRIDLIB_TILE_FOLDER_USABLE;
    case tiles::TargetState::not_ours: return GRIDLIB_TILE_FOLDER_NOT_OURS;
    case tiles::TargetState::not_a_folder: return GRIDLIB_TILE_FOLDER_NOT_A_FOLDER;
    case tiles::TargetState::unchangeable: return GRIDLIB_TILE_FOLDER_UNCHANGEABLE;
    case tiles::TargetState::bad_name: break;
    }
    return GRIDLIB_TILE_FOLDER_BAD_NAME;
}

}  // namespace

extern "C" void gridlib_tile_folder_state(const char* folder_name, const int32_t* folder_name_length,
                                          int32_t* state) noexcept {
    gridlib_tile_folder_check(folder_name, folder_name_length, state, nullptr, nullptr);
}

extern "C" void gridlib_tile_folder_check(const char* folder_name, const int32_t* folder_name_length,
                                          int32_t* state, char* foreign_name,
                                          const int32_t* foreign_name_length) noexcept {
    if (!state) return;
    std::string foreign;
    try {
        const auto check = tiles::check_target(capi::FileName(folder_name, folder_name_length).path);
        *state = folder_state_code(check.state);
        foreign = check.foreign;
    } catch (...) {
        *state = GRIDLIB_TILE_FOLDER_BAD_NAME;
    }
    if (!foreign_name || !foreign_name_length || *foreign_name_length <= 0) return;
    const auto n = std::min(foreign.size(), static_cast<std::size_t>(*foreign_name_length) - 1);
    std::copy_n(foreign.data(), n, foreign_name);
    foreign_name[n] = '\0';
}

extern "C" void gridlib_write_tile_pyramid(const char* working_name, const int32_t* working_name_length,
                                           const int32_t* ihead, const float* rhead, const int32_t* mapping_mode,
                                           const int32_t* levels, const int32_t* colour_count,
                                           const int32_t* colour_table, const char* title,
                                           const int32_t* title_length, const int32_t* axis,
                                           const double* geotransform, const char* folder_name,
                                           const int32_t* folder_name_length, int32_t* status) noexcept {
    if (!working_name || !working_name_length || !ihead || !rhead || !mapping_mode || !colour_count ||
        !colour_table || !title || !title_length || !axis || !folder_name || !folder_name_length ||
        (*axis != GRIDLIB_BAR_STEPS && *axis != GRIDLIB_BAR_LINEAR && *axis != GRIDLIB_BAR_LOG)) {
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    try {
        tiles::PyramidRequest request;
        request.working_path = capi::FileName(working_name, working_name_length).path;
        request.mapping_mode = *mapping_mode;
        if (levels) request.level_table = {levels, kLevels};
        request.colour_count = *colour_count;
        request.colour_table.emplace(std::span<const std::int32_t, kColourTableValues>(colour_table,
                                                                                       kColourTableValues));
        request.title = std::string(capi::text_arg(title, title_length));
        request.axis = *axis;
        if (geotransform) {
            std::array<double, 6> placed{};
            std::copy_n(geotransform, 6, placed.begin());
            request.geotransform = placed;
        }
        request.target = capi::FileName(folder_name, folder_name_length).path;
        capi::set_status(status, tiles::write_pyramid(capi::read_only_descriptor(ihead, rhead), request));
    } catch (...) {
        capi::set_status(status, GRIDLIB_IMAGE_WRITE_FAILED);
    }
}
