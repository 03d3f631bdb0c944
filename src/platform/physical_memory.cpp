// The machine's memory through sysconf.
#include "platform/physical_memory.h"

#include <limits>
#include <unistd.h>

namespace gridlib::platform {

std::uint64_t physical_memory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), page_bytes = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_bytes <= 0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_bytes);
}

}  // namespace gridlib::platform
