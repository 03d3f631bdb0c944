// libgeotiff, loaded when the first GeoTIFF's keys are read (see
// platform/shared_library.h): it brings PROJ and its own libraries, which
// only runs that read GeoTIFF grids should pay for.
#pragma once

#include <geotiff.h>

namespace gridlib::formats::geotiff {

struct GeotiffLibrary {
    decltype(&::GTIFNewEx) GTIFNewEx = nullptr;
    decltype(&::GTIFKeyGetSHORT) GTIFKeyGetSHORT = nullptr;
    decltype(&::GTIFFree) GTIFFree = nullptr;
};

// The library, loaded on the first call; nullptr when it or one of its
// functions cannot be found.
const GeotiffLibrary* geotiff_library();

}  // namespace gridlib::formats::geotiff
