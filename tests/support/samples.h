// Committed sample files, and files opened the way a C caller of the row
// routines opens them: by open(2), handing over the bare descriptor.
#pragma once

#include <string>
#include <string_view>

namespace gridlib::testing {

// The path of a file under tests/data/gdal/.
std::string gdal_sample(std::string_view name);

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
