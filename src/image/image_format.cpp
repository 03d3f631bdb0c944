// The image format a name asks for.
#include "image/image_format.h"

#include <algorithm>
#include <cctype>

namespace gridlib {

ImageFormat image_format_of(std::string_view path) {
    constexpr std::string_view kPng = ".png";
    if (path.size() < kPng.size()) return ImageFormat::bmp;
    const std::string_view end = path.substr(path.size() - kPng.size());
    const bool png = std::equal(end.begin(), end.end(), kPng.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    return png ? ImageFormat::png : ImageFormat::bmp;
}

}  // namespace gridlib
