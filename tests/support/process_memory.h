// What the test process holds, from /proc/self/status: for the tests that
// check a reader's memory stays bounded by the data.
#pragma once

#include <cstdint>
#include <string>

namespace gridlib::testing {

// The entry `key` of /proc/self/status in bytes, 0 when it is missing:
// "VmPeak" the most address space held so far (buffers never touched
// included), "VmHWM" the most resident memory so far, "VmRSS" the resident
// memory now.
std::uint64_t process_memory(const std::string& key);

}  // namespace gridlib::testing
