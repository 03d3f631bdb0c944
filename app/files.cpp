// File-system questions, answered through the standard library.
#include "files.h"

#include <filesystem>
#include <system_error>

namespace rastrify {

bool file_exists(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !path.empty() && !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool grid_file_exists(const std::string& name) {
    if (file_exists(name)) return true;
    const auto mark = name.rfind('?');
    return mark != std::string::npos && file_exists(name.substr(0, mark));
}

}  // namespace rastrify
