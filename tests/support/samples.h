// Committed sample files, files of numbered bytes, and files opened the way a C caller of the row
// routines opens them: by open(2), handing over the bare descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gridlib::testing {

// The path of a file under tests/data/gdal/, and of one under tests/data/.
std::string gdal_sample(std::string_view name);
std::string test_data(std::string_view path);

// The content of a file of n bytes whose values tell neighbouring offsets
// apart, and the byte such a file holds at an offset.
std::uint8_t numbered_byte(std::uint64_t offset);
std::string numbered_bytes(std::size_t n);

// A POSIX descriptor, closed when it goes out of scope; -1 when the open failed.
class Descriptor {
public:
    Descriptor(const std::string& path, int flags);
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace gridlib::testing
