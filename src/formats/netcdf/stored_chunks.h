// What a netCDF-4 file holds of a variable, asked of HDF5 beneath libnetcdf:
// libnetcdf tells how a variable is chunked but not which of its chunks
// were ever written, and serves those never written as fill values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::formats::netcdf {

// The count of the variable's chunks that its file stores; for a variable
// stored whole (not in chunks), 1 once it was written and 0 before.
// Nothing when HDF5 cannot tell (a libnetcdf without HDF5, an HDF5 before
// 1.10.5, a dataset it cannot find). The file must be open in libnetcdf as
// netCDF-4, which holds the library lock.
std::optional<std::uint64_t> stored_chunks(const std::string& path, int id, int variable, bool chunked);

}  // namespace gridlib::formats::netcdf
