// The machine's memory through sysconf, the process's limits through getrlimit.
#include "platform/physical_memory.h"

#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace gridlib::platform {

std::uint64_t physical_memory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), page_bytes = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_bytes <= 0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_bytes);
}

std::uint64_t usable_memory() {
    std::uint64_t usable = physical_memory();
    // Past either limit an allocation fails, however much the machine has.
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            usable = std::min<std::uint64_t>(usable, limit.rlim_cur);
    }
    return usable;
}

}  // namespace gridlib::platform
