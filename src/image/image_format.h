// The file format an image is written in, chosen by the output name: a name
// ending in ".png", in any case, makes a PNG; one ending in ".tif" or
// ".tiff" a GeoTIFF; any other name a BMP.
#pragma once

#include <cstdint>
#include <string_view>

namespace gridlib {

enum class ImageFormat { bmp, png, tiff };

// The resolution both formats state, so that an image prints at one size
// whichever of them it was written in.
inline constexpr std::uint32_t kPixelsPerMetre = 4096;

ImageFormat image_format_of(std::string_view path);

}  // namespace gridlib
