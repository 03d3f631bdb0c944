// What one conversion is asked to do, as the C entry point hands it over:
// the names and the options rastrify has.
#pragma once

#include "gridlib.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::convert {

// A colour limit not given holds the null value; any limit at or below the
// null threshold counts as not given.
inline constexpr float kLimitNotGiven = GRIDLIB_NULL_VALUE;
inline constexpr float kLimitThreshold = GRIDLIB_NULL_THRESHOLD;

enum class Distribution : std::int32_t {
    hist = GRIDLIB_DISTRIBUTION_HIST,
    lin = GRIDLIB_DISTRIBUTION_LIN,
    log = GRIDLIB_DISTRIBUTION_LOG
};

// The light of a shaded relief, in degrees: the azimuth clockwise from
// north, the elevation above the horizon (0..90).
struct Shading {
    float azimuth = 315.0f;  // from the north-west, as map readers expect
    float elevation = 45.0f;
    // Multiplies the heights for the slopes only: gentle terrain shows.
    float exaggeration = 1.0f;
};

struct Settings {
    std::string input;   // the grid file ("dem.tif?2": one grid of several)
    std::string output;  // the image: BMP, PNG or GeoTIFF by its extension
    bool invert = false;
    std::int32_t width = -1;  // <= 0: one pixel per column
    float lower = kLimitNotGiven;
    float upper = kLimitNotGiven;
    Distribution distribution = Distribution::hist;
    std::string histogram_name;      // empty: none
    std::optional<Shading> shading;  // none: the flat image
    bool world_file = false;         // a world file beside the image
    std::string colour_bar;          // an .svg or .png colour bar beside the image; empty: none
    std::string palette;             // a palette's name or a palette file; empty: the rainbow
    std::string kept_name;           // the histogram file to write; empty: none
    bool tiles = false;              // a tile pyramid and its viewer in the output folder, not an image
    // The caller's stop flag (none: the run cannot be stopped): set, the run
    // ends before its outputs are renamed into place.
    const volatile std::int32_t* stop = nullptr;
};

inline bool stop_asked(const Settings& s) { return s.stop && *s.stop != 0; }

// The limits are given when the upper one lies above the lower one.
inline bool limits_given(float lower, float upper) { return upper > lower; }

}  // namespace gridlib::convert
