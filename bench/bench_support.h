// What the benchmark programs share: their two arguments, the grid size and
// a directory for their files, and writing a whole file.
#pragma once

#include "platform/file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace gridlib::bench {

// Arguments [size] [dir]: the grid's columns and rows (default 4000), and
// the directory for its files (default a fresh one under the temporary
// directory, removed again by the destructor once the files in it are).
class Arguments {
public:
    Arguments(int argc, char** argv, const char* name) : size_(argc > 1 ? std::atoi(argv[1]) : 4000) {
        if (argc > 2) {
            dir_ = argv[2];
            return;
        }
        dir_ = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (!mkdtemp(dir_.data())) {
            std::fprintf(stderr, "cannot make a directory in %s\n", dir_.c_str());
            std::exit(1);
        }
        own_dir_ = true;
    }
    ~Arguments() {
        std::error_code ignored;
        if (own_dir_) std::filesystem::remove(dir_, ignored);
    }
    int size() const { return size_; }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

private:
    int size_;
    std::string dir_;
    bool own_dir_ = false;
};

inline void write_all(const std::string& path, std::span<const std::byte> bytes) {
    auto f = platform::File::create(path);
    if (!f || !f->write(bytes) || !f->close()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace gridlib::bench
