// What the thread pool needs of the operating system: how many processors
// this process may run on, the process's identity (a forked child has none
// of its parent's threads), and starting threads with every signal blocked,
// so that a signal meant for the process reaches the thread that runs the
// caller's code and never a worker.
#pragma once

#include <csignal>
#include <cstdint>

namespace gridlib::platform {

// The processors the process may run on (its affinity mask), at least 1.
int usable_processors();

// The id of the calling process.
std::int64_t process_id();

// Blocks every signal in the calling thread until the end of the scope; a
// thread started meanwhile inherits the full mask.
class AllSignalsBlocked {
public:
    AllSignalsBlocked();
    ~AllSignalsBlocked();
    AllSignalsBlocked(const AllSignalsBlocked&) = delete;
    AllSignalsBlocked& operator=(const AllSignalsBlocked&) = delete;

private:
    sigset_t previous_;  // the caller's mask, restored at the end
};

}  // namespace gridlib::platform
