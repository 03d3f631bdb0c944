// Processor count, process id and signal masks through POSIX.
#include "platform/processors.h"

#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace gridlib::platform {

int usable_processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return count;
    }
    const unsigned known = std::thread::hardware_concurrency();
    return known > 0 ? static_cast<int>(known) : 1;
}

std::int64_t process_id() { return static_cast<std::int64_t>(::getpid()); }

AllSignalsBlocked::AllSignalsBlocked() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous_);
}

AllSignalsBlocked::~AllSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace gridlib::platform
