// What GDAL reads from a file, through gdalinfo: the tests' oracle for the
// placement, coordinate system and pixels of the images written.
#pragma once

#include <string>
#include <vector>

namespace gridlib::testing {

// True when gdalinfo runs; tests that need it are skipped otherwise.
bool have_gdalinfo();

// `gdalinfo -json -checksum` of a file (a path without quotes): empty when
// gdalinfo fails or is missing.
std::string gdalinfo_json(const std::string& path);
// GDAL's geotransform of a file; empty when there is none.
std::vector<double> gdal_geotransform(const std::string& path);
// Of gdalinfo's text: the checksum of each band in order, and the
// coordinate system's WKT as printed (empty when there is none).
std::vector<long> gdal_checksums(const std::string& json);
std::string gdal_wkt(const std::string& json);

}  // namespace gridlib::testing
