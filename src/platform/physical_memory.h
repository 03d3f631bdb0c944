// How much memory the machine has, for routines that refuse work whose
// buffers could never be held, before they start it.
#pragma once

#include <cstdint>

namespace gridlib::platform {

// The machine's physical memory in bytes; the largest value when the system
// does not tell.
std::uint64_t physical_memory();

}  // namespace gridlib::platform
