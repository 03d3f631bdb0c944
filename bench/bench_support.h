// What the benchmark programs share: timing, the directory for their files
// and writing a whole file.
#pragma once

#include "platform/file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
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
    if (!mkdtemp(dir.data())) {
        std::fprintf(stderr, "cannot make a directory in %s\n", dir.c_str());
        std::exit(1);
    }
    return dir;
}

// Arguments [size] [dir]: the grid's columns and rows (default 4000), and
// the directory for its files (default a fresh one, removed again by the
// destructor once the files in it are).
class Arguments {
public:
    Arguments(int argc, char** argv, const char* name)
        : size_(argc > 1 ? std::atoi(argv[1]) : 4000),
          dir_(argc > 2 ? std::string(argv[2]) : fresh_directory(name)),
          own_dir_(argc <= 2) {}
    ~Arguments() {
        std::error_code ignored;
        if (own_dir_) std::filesystem::remove(dir_, ignored);
    }
    int size() const { return size_; }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

private:
    int size_;
    std::string dir_;
    bool own_dir_;
};

inline void write_all(const std::string& path, std::span<const std::byte> bytes) {
    auto f = gridlib::platform::File::create(path);
    if (!f || !f->write(bytes) || !f->close()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace bench
