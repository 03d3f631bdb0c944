// Reading a grid whose header is in the descriptor into the working grid file.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <string_view>

namespace gridlib {

// The map window to read and the steps: keep every column_step-th column
// and every row_step-th row (1 keeps all).
struct GridWindow {
    float west_x = 0, east_x = 0;
    std::int32_t column_step = 1;
    float south_y = 0, north_y = 0;
    std::int32_t row_step = 1;
};

// Writes the working grid and rewrites the descriptor to describe it.
// Returns 0 or a negative status (see GRDRDG in gridlib.h).
std::int32_t GRDRDG(std::string_view input_name_text, std::string_view working_name_text, DescriptorView d,
                    const GridWindow& window);

}  // namespace gridlib
