// How many threads a routine call works with: the processors the process may
// run on, or the number the environment variable GRIDLIB_THREADS gives (1
// works on the calling thread alone, as a single-threaded build would).
// Every result is the same whatever the count: the work is cut into pieces
// of a fixed size and the pieces' results are combined in a fixed order.
#pragma once

namespace gridlib::threads {

// More threads than this never help and each costs its buffers.
inline constexpr int kMostThreads = 64;

// Read at every call, so that a caller may change it between calls. A value
// that is not a whole number from 1 to kMostThreads is ignored.
int thread_count();

}  // namespace gridlib::threads
