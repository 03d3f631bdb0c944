// libnetcdf, loaded when the first netCDF grid is opened (see
// platform/shared_library.h): the functions the driver calls, under the
// names libnetcdf gives them; and the few of HDF5 beneath it that tell what
// a netCDF-4 file stores, which libnetcdf does not.
#pragma once

#include <netcdf.h>

// HDF5's types, for the functions' signatures alone: its macros call into
// HDF5 and are not used. Found where libnetcdf was built with HDF5, as
// Debian's is.
#if __has_include(<hdf5.h>)
#include <hdf5.h>
#define GRIDLIB_NETCDF_HDF5 1
#endif

namespace gridlib::formats::netcdf {

#define GRIDLIB_NETCDF_FUNCTIONS(X)                                                                              \
    X(nc_open) X(nc_close) X(nc_inq_format) X(nc_inq_nvars) X(nc_inq_varid) X(nc_inq_varname) X(nc_inq_varndims) \
    X(nc_inq_vardimid) X(nc_inq_vartype) X(nc_inq_var_chunking) X(nc_inq_dimlen) X(nc_inq_dimname)               \
    X(nc_inq_att) X(nc_inq_attlen) X(nc_get_att_double) X(nc_get_att_text) X(nc_get_var1_double)                  \
    X(nc_get_vara_double) X(nc_get_vara_float)

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

#ifdef GRIDLIB_NETCDF_HDF5
// H5Dget_num_chunks came with HDF5 1.10.5.
#define GRIDLIB_HDF5_FUNCTIONS(X)                                                                            \
    X(H5Fopen) X(H5Fclose) X(H5Dopen2) X(H5Dclose) X(H5Dget_space) X(H5Sclose) X(H5Dget_num_chunks) \
    X(H5Dget_storage_size) X(H5Sget_simple_extent_ndims)

struct Hdf5Library {
#define GRIDLIB_HDF5_POINTER(name) decltype(&::name) name = nullptr;
    GRIDLIB_HDF5_FUNCTIONS(GRIDLIB_HDF5_POINTER)
#undef GRIDLIB_HDF5_POINTER
};

// HDF5 as libnetcdf loaded it; nullptr when libnetcdf has none or it lacks
// one of the functions. Call only after libnetcdf opened a netCDF-4 file,
// which starts HDF5 and turns its error printing off.
const Hdf5Library* hdf5_library();
#endif

}  // namespace gridlib::formats::netcdf
