#include "formats/netcdf/netcdf_library.h"

#include "platform/shared_library.h"

#include <memory>

namespace gridlib::formats::netcdf {
namespace {

// HDF5's functions are found through libnetcdf's handle, which reaches the
// libraries libnetcdf was loaded with.
const platform::SharedLibrary& shared_library() {
    static const platform::SharedLibrary library(GRIDLIB_NETCDF_SONAME);
    return library;
}

std::unique_ptr<NetcdfLibrary> load() {
    const platform::SharedLibrary& library = shared_library();
    auto functions = std::make_unique<NetcdfLibrary>();
#define GRIDLIB_NETCDF_BIND(name) \
    if (!library.bind(functions->name, #name)) return nullptr;
    GRIDLIB_NETCDF_FUNCTIONS(GRIDLIB_NETCDF_BIND)
#undef GRIDLIB_NETCDF_BIND
    return functions;
}

#ifdef GRIDLIB_NETCDF_HDF5
std::unique_ptr<Hdf5Library> load_hdf5() {
    const platform::SharedLibrary& library = shared_library();
    auto functions = std::make_unique<Hdf5Library>();
#define GRIDLIB_HDF5_BIND(name) \
    if (!library.bind(functions->name, #name)) return nullptr;
    GRIDLIB_HDF5_FUNCTIONS(GRIDLIB_HDF5_BIND)
#undef GRIDLIB_HDF5_BIND
    return functions;
}
#endif

}  // namespace

const NetcdfLibrary* netcdf_library() {
    static const std::unique_ptr<NetcdfLibrary> functions = load();
    return functions.get();
}

#ifdef GRIDLIB_NETCDF_HDF5
const Hdf5Library* hdf5_library() {
    static const std::unique_ptr<Hdf5Library> functions = load_hdf5();
    return functions.get();
}
#endif

}  // namespace gridlib::formats::netcdf
