// How much memory the machine has, and how much of it this process may use,
// for routines that refuse work whose buffers could never be held, before
// they start it, and that size their buffers in flight to what can be.
#pragma once

#include <cstdint>

namespace gridlib::platform {

// The machine's physical memory in bytes; the largest value when the system
// does not tell.
std::uint64_t physical_memory();

// The memory this process may use: the machine's physical memory, or less
// where a limit on the process's address space or data (setrlimit, as
// `ulimit -v` sets it) is lower.
std::uint64_t usable_memory();

}  // namespace gridlib::platform
