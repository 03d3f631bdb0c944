// File-system questions, answered through the standard library.
#include "convert/files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace gridlib::convert {

namespace {

bool file_exists(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !path.empty() && !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

bool grid_file_exists(const std::string& name) {
    if (file_exists(name)) return true;
    const auto mark = name.rfind('?');
    return mark != std::string::npos && file_exists(name.substr(0, mark));
}

bool is_regular_file(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool exists_as_non_regular(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

namespace {

// True when path ends in the lower-case extension, in any case.
bool ends_in(const std::string& path, std::string_view extension) {
    if (path.size() < extension.size()) return false;
    return std::equal(extension.begin(), extension.end(), path.end() - static_cast<std::ptrdiff_t>(extension.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

std::string image_kind_of(const std::string& path) {
    if (ends_in(path, ".png")) return "PNG";
    if (ends_in(path, ".tif") || ends_in(path, ".tiff")) return "TIFF";
    return "BMP";
}

std::string directory_of(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace gridlib::convert
