// What the netCDF target adds to the grid fuzzer (grid_fuzzer.cpp, which it
// runs on files named as GMT names its grids): the leaks of the libraries
// beneath the driver are not counted, or they would stop every run within
// seconds. libnetcdf 4.9.0 keeps the structures of a netCDF-4 file whose
// open fails (some 28 KB each time), and HDF5 small blocks of its own on
// damaged files. Leaks of gridlib's own are still reported.
extern "C" const char* __lsan_default_suppressions() { return "leak:libnetcdf\nleak:libhdf5\n"; }
