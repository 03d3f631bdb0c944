#include "support/samples.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace gridlib::testing {

std::string gdal_sample(std::string_view name) {
    if (const char* root = std::getenv("GRIDLIB_SOURCE_DIR")) {
        return std::string(root) + "/tests/data/gdal/" + std::string(name);
    }
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "gdal" / name).string();
}

Descriptor::Descriptor(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}

Descriptor::~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace gridlib::testing
