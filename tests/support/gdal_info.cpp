// gdalinfo's JSON, picked apart by the few keys the tests compare.
#include "support/gdal_info.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string_view>

namespace gridlib::testing {

bool have_gdalinfo() {
    static const bool available = std::system("gdalinfo --version >/dev/null 2>&1") == 0;
    return available;
}

std::string gdalinfo_json(const std::string& path) {
    const std::string command = "gdalinfo -json -checksum '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char chunk[4096];
    while (pipe && std::fgets(chunk, sizeof chunk, pipe.get())) text += chunk;
    return text;
}

std::vector<double> gdal_geotransform(const std::string& path) {
    const std::string text = gdalinfo_json(path);
    const auto at = text.find("\"geoTransform\"");
    if (at == std::string::npos) return {};
    std::istringstream numbers(text.substr(text.find('[', at) + 1));
    std::vector<double> gt;
    for (double v; gt.size() < 6 && numbers >> v;) {
        gt.push_back(v);
        numbers.ignore(1);  // the comma
    }
    return gt;
}

std::vector<long> gdal_checksums(const std::string& json) {
    std::vector<long> sums;
    constexpr std::string_view kKey = "\"checksum\":";
    for (auto at = json.find(kKey); at != std::string::npos; at = json.find(kKey, at + 1))
        sums.push_back(std::strtol(json.c_str() + at + kKey.size(), nullptr, 10));
    return sums;
}

std::string gdal_wkt(const std::string& json) {
    constexpr std::string_view kKey = "\"wkt\":\"";
    const auto at = json.find(kKey);
    if (at == std::string::npos) return {};
    std::string wkt;
    for (auto i = at + kKey.size(); i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\') wkt += json[i++];  // an escaped character, quotes included
        if (i < json.size()) wkt += json[i];
    }
    return wkt;
}

}  // namespace gridlib::testing
