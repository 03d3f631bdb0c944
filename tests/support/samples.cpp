// Committed samples, numbered bytes and descriptors for the tests.
#include "support/samples.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace gridlib::testing {

std::string gdal_sample(std::string_view name) { return test_data("gdal/" + std::string(name)); }

std::string test_data(std::string_view path) {
    if (const char* root = std::getenv("GRIDLIB_SOURCE_DIR")) {
        return std::string(root) + "/tests/data/" + std::string(path);
    }
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / path).string();
}

std::uint8_t numbered_byte(std::uint64_t offset) { return static_cast<std::uint8_t>((offset * 7 + offset / 256) % 256); }

std::string numbered_bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t k = 0; k < n; ++k) s[k] = static_cast<char>(numbered_byte(k));
    return s;
}

Descriptor::Descriptor(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}

Descriptor::~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace gridlib::testing
