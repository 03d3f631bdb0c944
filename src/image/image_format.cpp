// The image format a name asks for.
#include "image/image_format.h"

#include <algorithm>
#include <cctype>

namespace gridlib {
namespace {

// True when path ends in the lower-case extension, in any case.
bool ends_in(std::string_view path, std::string_view extension) {
    if (path.size() < extension.size()) return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

}  // namespace

ImageFormat image_format_of(std::string_view path) {
    if (ends_in(path, ".png")) return ImageFormat::png;
    if (ends_in(path, ".tif") || ends_in(path, ".tiff")) return ImageFormat::tiff;
    return ImageFormat::bmp;
}

}  // namespace gridlib
