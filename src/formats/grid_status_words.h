// The English words of the statuses of header reading (GRDRDH) and grid
// reading (GRDRDG), whose meaning may depend on the grid's format: those
// every format shares are kept here, a format's own in its driver.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::formats {

// d, where given, describes the grid the routine was called for (for
// GRDRDG, as the call found it): its format chooses among the words, and
// its row count tells whether a status that is both a failed positioning
// and row 2000's failure can be the latter. Without it the words cover
// every format. Nothing for a status the routine never gives.
std::optional<std::string> header_status_words(std::int32_t status, const DescriptorView* d);
std::optional<std::string> read_status_words(std::int32_t status, const DescriptorView* d);

}  // namespace gridlib::formats
