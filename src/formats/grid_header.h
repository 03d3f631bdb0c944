// Opening a grid: recognise its format by name or first bytes, then read its
// header into the descriptor through the format's driver.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <string>

namespace gridlib {

// On entry the descriptor's format code may hold a fallback code (0 = none),
// used when neither the extension nor the first bytes tell the format.
// Returns 0 or a negative status (see GRDRDH in gridlib.h). The closing work
// (record_input_geometry) is done on every return.
std::int32_t read_grid_header(const std::string& path, DescriptorView d);

// The closing work of every header reading, refusals included: the size and
// geometry of the input as read are kept in entries that later stages leave
// alone, and the window words are cleared.
void record_input_geometry(DescriptorView d);

}  // namespace gridlib
