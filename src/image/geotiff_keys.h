// The coordinate reference of a GeoTIFF, as its three GeoKey tags hold it:
// copied from an input grid that is a GeoTIFF into the GeoTIFF image drawn
// of it, so that GIS software finds the image in the grid's coordinate
// system. The keys are taken as they are stored, checked only so far that
// every key's value lies where the directory says it does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gridlib {

// No keys at all (an empty directory) for an image without a coordinate
// system: as GDAL writes one, its raster type PixelIsArea by default.
struct GeoKeys {
    std::vector<std::uint16_t> directory;  // GeoKeyDirectory: a header of 4, then 4 per key
    std::vector<double> doubles;           // GeoDoubleParams
    std::string ascii;                     // GeoAsciiParams, without the final NUL
};

// The keys of the TIFF file at path; nothing when it is no TIFF, has no
// key directory, or a key points outside the arrays. The raster type key
// is made PixelIsArea: the image's tie point names the corner of its
// upper-left pixel, whatever the grid's named.
std::optional<GeoKeys> read_geo_keys(const std::string& path);

}  // namespace gridlib
