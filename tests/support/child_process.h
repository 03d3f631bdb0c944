// Runs a piece of a test in a child process made by fork(): a call that
// would block forever fails its test instead of hanging the suite, and
// signal handlers, signals and exits stay out of the test process.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace gridlib::testing {

// The wait status of a child that runs body and exits with what it
// returns; nullopt when it had not ended within `limit` (it is then killed).
// The child runs the library on the caller's thread alone (GRIDLIB_THREADS=1):
// worker threads do not survive a fork.
std::optional<int> run_in_child(const std::function<int()>& body,
                                std::chrono::milliseconds limit = std::chrono::seconds(10));

// True when the wait status is an exit with `code`.
bool exited_with(const std::optional<int>& wait_status, int code);

}  // namespace gridlib::testing
