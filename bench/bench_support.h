// Helpers shared by the benchmarks: timing and a scratch directory.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

// Best of several runs, in seconds: the first warms the page cache.
inline double best_of(int runs, const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

// A fresh directory under the system's temporary directory; exits when none
// can be made.
inline std::string fresh_directory(const std::string& prefix) {
    std::string dir = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(dir.data())) std::exit(1);
    return dir;
}

}  // namespace bench
