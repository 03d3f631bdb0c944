#include "formats/geotiff/geotiff_library.h"

#include "platform/shared_library.h"

#include <memory>

namespace gridlib::formats::geotiff {
namespace {

std::unique_ptr<GeotiffLibrary> load() {
    static const platform::SharedLibrary library(GRIDLIB_GEOTIFF_SONAME);
    auto functions = std::make_unique<GeotiffLibrary>();
    if (!library.bind(functions->GTIFNewEx, "GTIFNewEx") ||
        !library.bind(functions->GTIFKeyGetSHORT, "GTIFKeyGetSHORT") ||
        !library.bind(functions->GTIFFree, "GTIFFree"))
        return nullptr;
    return functions;
}

}  // namespace

const GeotiffLibrary* geotiff_library() {
    static const std::unique_ptr<GeotiffLibrary> functions = load();
    return functions.get();
}

}  // namespace gridlib::formats::geotiff
