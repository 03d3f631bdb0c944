// The header of a classic netCDF file (CDF-1, CDF-2 and CDF-5) walked
// before libnetcdf opens it: libnetcdf allocates every name, attribute and
// list the header states at its stated length, before it looks whether the
// file holds that much, so a file of a few bytes can make it ask for
// gigabytes. A header whose every stated length fits in what follows it in
// the file costs libnetcdf no more memory than a few times the file's size.
#pragma once

#include <string>

namespace gridlib::formats::netcdf {

// True when the file is no classic netCDF file (libnetcdf's other readers
// check their own input) or its header's lengths all fit in the file; false
// when one does not, or the header is cut short.
bool classic_header_fits(const std::string& path);

}  // namespace gridlib::formats::netcdf
