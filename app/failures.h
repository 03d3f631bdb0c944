// The messages that end a conversion the library could not complete: each
// names the cause behind a library status.
#pragma once

#include <cstdint>
#include <string>

namespace rastrify {

// GRDRDG; format is the grid's format code, which tells apart the statuses
// that two read paths share.
std::string grid_read_failure(std::int32_t status, std::int32_t format);
std::string histogram_failure(std::int32_t status);
std::string image_failure(std::int32_t status);

}  // namespace rastrify
