// GeoKeys read from a TIFF with libtiff.
#include "image/geotiff_keys.h"

#include "image/tiff_library.h"

#include <xtiffio.h>

namespace gridlib {
namespace {

constexpr std::uint16_t kRasterTypeKey = 1025;  // GTRasterTypeGeoKey
constexpr std::uint16_t kPixelIsArea = 1;
constexpr std::size_t kHeaderShorts = 4, kKeyShorts = 4;

// True when each key's values lie inside the array its location names.
bool keys_in_bounds(const GeoKeys& k) {
    const auto& dir = k.directory;
    if (dir.size() < kHeaderShorts) return false;
    const std::size_t keys = dir[3];
    if (dir.size() < kHeaderShorts + kKeyShorts * keys) return false;
    for (std::size_t i = 0; i < keys; ++i) {
        const std::uint16_t* key = &dir[kHeaderShorts + kKeyShorts * i];
        const std::size_t location = key[1], count = key[2], offset = key[3];
        if (location == 0) continue;  // the value is the offset field itself
        std::size_t held = 0;
        switch (location) {
        case TIFFTAG_GEOKEYDIRECTORY: held = dir.size(); break;
        case TIFFTAG_GEODOUBLEPARAMS: held = k.doubles.size(); break;
        case TIFFTAG_GEOASCIIPARAMS: held = k.ascii.size() + 1; break;
        default: return false;
        }
        if (offset + count > held) return false;
    }
    return true;
}

}  // namespace

std::optional<GeoKeys> read_geo_keys(const std::string& path) {
    auto file = platform::File::open_read(path);
    if (!file) return std::nullopt;
    const auto t = tiff_library::open_read(*file);
    if (!t) return std::nullopt;
    auto directory = tiff_library::shorts(t.get(), TIFFTAG_GEOKEYDIRECTORY);
    if (!directory) return std::nullopt;
    GeoKeys k;
    k.directory = std::move(*directory);
    k.doubles = tiff_library::doubles(t.get(), TIFFTAG_GEODOUBLEPARAMS).value_or(std::vector<double>());
    k.ascii = tiff_library::text(t.get(), TIFFTAG_GEOASCIIPARAMS).value_or(std::string());
    if (!keys_in_bounds(k)) return std::nullopt;
    for (std::size_t i = 0; i < k.directory[3]; ++i) {
        std::uint16_t* key = &k.directory[kHeaderShorts + kKeyShorts * i];
        if (key[0] == kRasterTypeKey && key[1] == 0) key[3] = kPixelIsArea;
    }
    return k;
}

}  // namespace gridlib
