// The file format an image is written in, chosen by the output name: a name
// ending in ".png", in any case, makes a PNG; any other name a BMP.
#pragma once

#include <string_view>

namespace gridlib {

enum class ImageFormat { bmp, png };

ImageFormat image_format_of(std::string_view path);

}  // namespace gridlib
