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

// Writes the input as the file `name` and returns its path. With a companion
// name, the part after a line "%%" becomes that file's content instead (the
// data file or header a format keeps beside the named one).
inline std::string write_input(const std::uint8_t* data, std::size_t size, std::string_view name,
                               std::string_view companion_name = {}) {
    std::string_view input = as_text(data, size);
    if (!companion_name.empty()) {
        std::string_view companion;
        if (const auto cut = input.find("\n%%\n"); cut != std::string_view::npos) {
            companion = input.substr(cut + 4);
            input = input.substr(0, cut);
        }
        write_whole(scratch_file(companion_name), companion);
    }
    const std::string path = scratch_file(name);
    write_whole(path, input);
    return path;
}

}  // namespace gridlib::fuzz
