// The grid descriptor a conversion passes through the library's routines:
// the three arrays they take, with the entries the conversion reads or sets
// named after the public header's entry positions.
#pragma once

#include "gridlib.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gridlib::convert {

class Descriptor {
public:
    static constexpr std::int32_t kBandNameLength = 512;

    Descriptor() : band_names_(GRIDLIB_BAND_NAMES * kBandNameLength, ' ') {}

    std::int32_t* integers() { return ihead_.data(); }
    const std::int32_t* integers() const { return ihead_.data(); }
    float* reals() { return rhead_.data(); }
    const float* reals() const { return rhead_.data(); }
    char* band_names() { return band_names_.data(); }
    const std::int32_t* band_name_length() const { return &kBandNameLength; }

    std::int32_t format() const { return ihead_[GRIDLIB_FORMAT]; }
    std::int32_t columns() const { return ihead_[GRIDLIB_COLUMNS]; }
    std::int32_t rows() const { return ihead_[GRIDLIB_ROWS]; }
    std::int32_t& image_width() { return ihead_[GRIDLIB_IMAGE_WIDTH]; }
    float& west_x() { return rhead_[GRIDLIB_WEST_X]; }
    float& east_x() { return rhead_[GRIDLIB_EAST_X]; }
    float& south_y() { return rhead_[GRIDLIB_SOUTH_Y]; }
    float& north_y() { return rhead_[GRIDLIB_NORTH_Y]; }
    float data_min() const { return rhead_[GRIDLIB_DATA_MIN]; }
    float data_max() const { return rhead_[GRIDLIB_DATA_MAX]; }
    float& colour_min() { return rhead_[GRIDLIB_COLOUR_MIN]; }
    float& colour_max() { return rhead_[GRIDLIB_COLOUR_MAX]; }

private:
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead_{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead_{};
    std::vector<char> band_names_;
};

}  // namespace gridlib::convert
