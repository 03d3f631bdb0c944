// Fuzz inputs become files: every reader of gridlib reads files by name, so
// each input is written into a private folder of the fuzzing process and
// read from there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace gridlib::fuzz {

// A folder of this process's own, made once and removed at a normal exit.
// Never destroyed, so that the exit handler still finds the name.
inline const std::string& scratch_folder() {
    static const std::string* folder = [] {
        auto* pattern = new std::string("/tmp/gridlib-fuzz-XXXXXX");
        if (!::mkdtemp(pattern->data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(scratch_folder()); });
        return pattern;
    }();
    return *folder;
}

inline std::string scratch_file(std::string_view name) { return scratch_folder() + "/" + std::string(name); }

inline void write_whole(const std::string& path, std::string_view bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    std::fclose(f);
}

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace gridlib::fuzz
