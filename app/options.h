// The converter's settings from the command line: names and options, which
// the library checks further when it converts.
#pragma once

#include "gridlib.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rastrify {

// The longest file name the converter takes; a longer one is refused rather
// than cut, because a cut name could open another file.
inline constexpr std::size_t kNameLength = 256;

// A colour limit not given on the command line holds the null value (the
// library counts any limit at or below GRIDLIB_NULL_THRESHOLD as not given).
inline constexpr float kLimitNotGiven = GRIDLIB_NULL_VALUE;

enum class Distribution : std::int32_t {
    hist = GRIDLIB_DISTRIBUTION_HIST,
    lin = GRIDLIB_DISTRIBUTION_LIN,
    log = GRIDLIB_DISTRIBUTION_LOG
};

// The light of a shaded relief (-S), in degrees: the azimuth clockwise from
// north, the elevation above the horizon (0..90).
struct Shading {
    float azimuth = 315.0f;  // from the north-west, as map readers expect
    float elevation = 45.0f;
    // Multiplies the heights for the slopes only: gentle terrain shows.
    float exaggeration = 1.0f;
};

struct Settings {
    bool invert = false;
    std::int32_t width = -1;  // <= 0: one pixel per column
    float lower = kLimitNotGiven;
    float upper = kLimitNotGiven;
    Distribution distribution = Distribution::hist;
    std::string histogram_name;  // empty: none
    std::optional<Shading> shading;  // none: the flat image
    bool world_file = false;         // -G: a world file beside the image
    std::string colour_bar;          // -L: an .svg or .png colour bar beside the image; empty: none
    std::string palette;             // -C: a palette's name or a palette file; empty: the rainbow
    std::string kept_name;           // -K: the histogram file to write; empty: none
    bool tiles = false;              // -T: a tile pyramid and its viewer in the output folder
};

enum class OptionKind {
    invert,
    width,
    lower,
    upper,
    distribution,
    shading,
    histogram_file,
    world_file,
    colour_bar,
    palette,
    kept_scale,
    tiles
};

// What an argument from position 3 on is, by its first two characters,
// case-sensitive except for -W/-w and -H/-h (so -i names a histogram file).
// -G and -T take no value; -L and -K take a file name; -C a palette's name or a palette file.
OptionKind classify(std::string_view argument);

// The distribution a -H value selects: "h..." hist, "?i..." lin, "?o..." log
// (either case); any other value keeps the current one.
Distribution distribution_from(std::string_view value, Distribution current);

// A name as the library reads it from a text: up to its first NUL, or else
// without trailing blanks.
std::string file_name(std::string_view text);

// Applies the arguments from position 3 on, in order, to settings; later
// options overwrite earlier ones and every histogram file named must exist
// (the last one is used). Returns the message that ends the run, if any; the
// histogram-file stop message is the plain text message::histogram_missing.
struct OptionError {
    std::string text;
    bool plain = false;  // a stop message printed as is (else a console line)
};
std::optional<OptionError> apply_options(std::span<const std::string> arguments, Settings& settings,
                                         const std::function<bool(const std::string&)>& file_exists);

}  // namespace rastrify
