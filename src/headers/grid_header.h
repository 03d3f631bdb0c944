// Opening a grid: recognise its format by name or first bytes, then read its
// header into the descriptor through the format's reader.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <string_view>

namespace gridlib {

// name_text is the caller's fixed-length name text (it ends at its first NUL
// or its last non-blank). On entry the descriptor's format code may hold a
// fallback code (0 = none). Returns 0 or a negative status; the closing work
// (input geometry copy, window words cleared, size copies) runs on every
// return, refusals of the name included.
std::int32_t GRDRDH(std::string_view name_text, DescriptorView d);

}  // namespace gridlib
