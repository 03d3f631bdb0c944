// The levels an image is drawn through: read from a histogram file, or
// counted (hist) or laid out on a log axis and equalised, or none for a
// linear mapping; and the histogram file that keeps them for later grids.
#pragma once

#include "convert/descriptor.h"
#include "convert/levels.h"
#include "convert/name_text.h"
#include "convert/notes.h"
#include "convert/settings.h"

#include "gridlib.h"

#include <cstdint>
#include <string>
#include <variant>

namespace gridlib::convert {

// The level table the image is drawn through and the mapping mode that says
// whether it is used at all.
struct ChosenLevels {
    LevelTable levels{};
    std::int32_t mapping = GRIDLIB_MAPPING_THROUGH_LEVELS;
};

// Sets the colour limits in the descriptor of the working grid `work` and
// chooses the levels. Limits given beside a histogram file are ignored, which
// one note says. Returns the levels, or the failure that ends the run.
std::variant<ChosenLevels, Failure> choose_levels(const Settings& settings, const NameText& work, Descriptor& d,
                                                  const Notes& notes);

// Keeps the limits and levels the image is drawn with in the histogram file
// `kept`, for the next grids to be drawn alike; a linear mapping keeps the
// levels it stands for, one per bin. False when the file could not be written.
bool keep_scale(const std::string& kept, Descriptor& d, const ChosenLevels& chosen);

}  // namespace gridlib::convert
