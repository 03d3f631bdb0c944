// The header of a classic netCDF file (CDF-1, CDF-2 and CDF-5) walked
// before libnetcdf opens it: libnetcdf allocates every name, attribute and
// list the header states at its stated length, before it looks whether the
// file holds that much, so a file of a few bytes can make it ask for
// gigabytes. A header whose every stated length fits in what follows it in
// the file costs libnetcdf no more memory than a few times the file's size.
// The walk also finds where each variable's numbers end: libnetcdf reads
// what lies beyond the end of the file as zeros.
#pragma once

#include <string>

namespace gridlib::formats::netcdf {

enum class ClassicFile {
    fits,            // or no classic netCDF file: libnetcdf's other readers check their own input
    header_unfit,    // a length the header states does not fit in the file, or the header is cut short
    numbers_cut_off  // the file ends before the last number of one of its variables
};

ClassicFile check_classic_file(const std::string& path);

}  // namespace gridlib::formats::netcdf
