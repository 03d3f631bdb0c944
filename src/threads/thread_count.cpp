// The thread count from the environment or the processors.
#include "threads/thread_count.h"

#include "platform/processors.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace gridlib::threads {

int thread_count() {
    if (const char* text = std::getenv("GRIDLIB_THREADS")) {
        int n = 0;
        const char* end = text + std::strlen(text);
        const auto [ptr, ec] = std::from_chars(text, end, n);
        if (ec == std::errc() && ptr == end && n >= 1 && n <= kMostThreads) return n;
    }
    return std::clamp(platform::usable_processors(), 1, kMostThreads);
}

}  // namespace gridlib::threads
