// Fuzz inputs become files: every reader of gridlib reads files by name, so
// each input is written into a private folder of the fuzzing process and
// read from there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

// The grid targets name a second file (COMPANION_NAME) for a format that
// keeps its values or header beside the named one; none by default.
#ifndef COMPANION_NAME
#define COMPANION_NAME ""
#endif

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

// Descriptor words the fuzzer chooses apart from the file, so that sizes,
// steps, windows, orders and value types need not agree with it: an input
// may end with a line "@@" and up to 64 bytes after it, which are cut off the
// file and read as little-endian words (bytes missing count as zero). An
// input without them chooses nothing: the descriptor is the file's own.
class Choices {
public:
    static constexpr std::size_t kBytes = 64;

    // Cuts the choices off the end of input.
    static Choices take(std::string_view& input) {
        Choices c;
        const auto at = input.rfind("\n@@\n");
        if (at == std::string_view::npos || input.size() - (at + 4) > kBytes) return c;
        c.given_ = true;
        std::memcpy(c.bytes_, input.data() + at + 4, input.size() - (at + 4));
        input = input.substr(0, at);
        return c;
    }
    bool given() const { return given_; }
    std::uint8_t byte(std::size_t at) const { return bytes_[at % kBytes]; }
    // The k-th 4-byte word.
    std::int32_t word(std::size_t k) const { return get<std::int32_t>(k); }
    float real(std::size_t k) const { return get<float>(k); }

private:
    template <typename T>
    T get(std::size_t k) const {
        T v;
        std::memcpy(&v, bytes_ + (4 * k) % kBytes, 4);
        return v;
    }
    bool given_ = false;
    std::uint8_t bytes_[kBytes + 4] = {};
};

// Writes the input as the file `name` and returns its path. With a companion
// name, the part after a line "%%" becomes that file's content instead (the
// data file or header a format keeps beside the named one).
inline std::string write_input(std::string_view input, std::string_view name, std::string_view companion_name = {}) {
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

inline std::string write_input(const std::uint8_t* data, std::size_t size, std::string_view name,
                               std::string_view companion_name = {}) {
    return write_input(as_text(data, size), name, companion_name);
}

// The input of a grid target: written as the grid file `name` (and its
// companion), with the descriptor choices cut off its end first.
struct GridInput {
    Choices choose;
    std::string path;
};
inline GridInput write_grid_input(const std::uint8_t* data, std::size_t size, std::string_view name,
                                  std::string_view companion_name) {
    std::string_view input = as_text(data, size);
    const Choices choose = Choices::take(input);
    return {choose, write_input(input, name, companion_name)};
}

}  // namespace gridlib::fuzz
