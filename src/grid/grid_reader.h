// Reading a grid whose header is in the descriptor into the working grid file.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "grid/window.h"

#include <cstdint>
#include <string>

namespace gridlib {

// Writes the cells of input_path that the window keeps into the working grid
// working_path and rewrites the descriptor to describe it. Returns 0 or a
// negative status (see GRDRDG in gridlib.h). Allocates a block of rows per
// thread for the call.
std::int32_t read_into_working_grid(const std::string& input_path, const std::string& working_path,
                                    DescriptorView d, const GridWindow& window);

}  // namespace gridlib
