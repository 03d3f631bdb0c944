// File-system questions, answered through the standard library.
#include "convert/files.h"

#include <algorithm>
#include <cctype>
#include <deque>
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

std::filesystem::path written_path(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path start = fs::absolute(name, ec);
    if (ec) return {};
    // Walked a part at a time as the system resolves a name, except that a
    // part that does not exist is kept as written instead of ending the walk.
    fs::path reached = start.root_path();
    const fs::path relative = start.relative_path();
    std::deque<fs::path> ahead(relative.begin(), relative.end());
    // The system's own limit on links in one resolution; past it the rest is taken as written.
    int links_left = 40;
    while (!ahead.empty()) {
        const fs::path part = std::move(ahead.front());
        ahead.pop_front();
        if (part.empty() || part == ".") continue;  // a trailing '/' leaves an empty part
        if (part == "..") {
            reached = reached.parent_path();  // what lies before is resolved already
            continue;
        }
        const fs::path next = reached / part;
        if (links_left == 0 || !fs::is_symlink(fs::symlink_status(next, ec))) {
            reached = next;
            continue;
        }
        --links_left;
        const fs::path target = fs::read_symlink(next, ec);
        if (ec) {
            reached = next;
            continue;
        }
        if (target.is_absolute()) reached = target.root_path();
        const fs::path target_parts = target.relative_path();
        ahead.insert(ahead.begin(), target_parts.begin(), target_parts.end());
    }
    return reached;
}

bool same_destination(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
    const auto written_a = written_path(a);
    return !written_a.empty() && written_a == written_path(b);
}

bool lies_within(const std::string& name, const std::string& folder) {
    if (name.empty() || folder.empty()) return false;
    const auto inner = written_path(name), outer = written_path(folder);
    if (inner.empty() || outer.empty()) return false;
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first == outer.end();
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
