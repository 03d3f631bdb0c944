#include "formats/netcdf/netcdf_library.h"

#include "platform/shared_library.h"

#include <memory>

namespace gridlib::formats::netcdf {
namespace {

std::unique_ptr<NetcdfLibrary> load() {
    static const platform::SharedLibrary library(GRIDLIB_NETCDF_SONAME);
    auto functions = std::make_unique<NetcdfLibrary>();
#define GRIDLIB_NETCDF_BIND(name) \
    if (!library.bind(functions->name, #name)) return nullptr;
    GRIDLIB_NETCDF_FUNCTIONS(GRIDLIB_NETCDF_BIND)
#undef GRIDLIB_NETCDF_BIND
    return functions;
}

}  // namespace

const NetcdfLibrary* netcdf_library() {
    static const std::unique_ptr<NetcdfLibrary> functions = load();
    return functions.get();
}

}  // namespace gridlib::formats::netcdf
