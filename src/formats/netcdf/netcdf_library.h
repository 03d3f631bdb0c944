// libnetcdf, loaded when the first netCDF grid is opened (see
// platform/shared_library.h): the functions the driver calls, under the
// names libnetcdf gives them.
#pragma once

#include <netcdf.h>

namespace gridlib::formats::netcdf {

#define GRIDLIB_NETCDF_FUNCTIONS(X)                                                                              \
    X(nc_open) X(nc_close) X(nc_inq_format) X(nc_inq_nvars) X(nc_inq_varid) X(nc_inq_varndims) X(nc_inq_vardimid) \
    X(nc_inq_vartype) X(nc_inq_type) X(nc_inq_dimlen) X(nc_inq_dimname) X(nc_inq_att) X(nc_inq_attlen)           \
    X(nc_get_att_double) X(nc_get_att_text) X(nc_get_var1_double) X(nc_get_vara_double)

struct NetcdfLibrary {
#define GRIDLIB_NETCDF_POINTER(name) decltype(&::name) name = nullptr;
    GRIDLIB_NETCDF_FUNCTIONS(GRIDLIB_NETCDF_POINTER)
#undef GRIDLIB_NETCDF_POINTER
};

// The library, loaded on the first call; nullptr when it or one of its
// functions cannot be found, and a netCDF grid then cannot be opened.
const NetcdfLibrary* netcdf_library();

// The loaded library, for code that runs only on a file it opened.
inline const NetcdfLibrary& nc() { return *netcdf_library(); }

}  // namespace gridlib::formats::netcdf
