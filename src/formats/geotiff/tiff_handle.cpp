// libtiff over a platform::File, with the GeoTIFF and GDAL tags known to it.
#include "formats/geotiff/tiff_handle.h"

#include <tiffio.h>
#include <xtiffio.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace gridlib::formats::geotiff {
namespace {

TiffHandle& handle_of(thandle_t h) { return *static_cast<TiffHandle*>(h); }

tmsize_t read_proc(thandle_t h, void* to, tmsize_t count) { return handle_of(h).read_bytes(to, count); }
tmsize_t write_proc(thandle_t, void*, tmsize_t) { return -1; }
toff_t seek_proc(thandle_t h, toff_t offset, int whence) { return handle_of(h).seek_to(offset, whence); }
int close_proc(thandle_t) { return 0; }
toff_t size_proc(thandle_t h) { return handle_of(h).file_size(); }
int map_proc(thandle_t, void**, toff_t*) { return 0; }
void unmap_proc(thandle_t, void*, toff_t) {}

int count_error(TIFF*, void* user_data, const char*, const char*, va_list) {
    static_cast<TiffHandle*>(user_data)->count_error();
    return 1;  // handled: libtiff's own handler prints nothing
}

int ignore_warning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Registered so that libtiff reads them as the typed fields they are, not
// as anonymous ones (which it warns about); GDAL writes the nodata value as
// text in a tag of its own.
const TIFFFieldInfo kGeoFields[] = {
    {TIFFTAG_GEOPIXELSCALE, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoPixelScale")},
    {TIFFTAG_GEOTIEPOINTS, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoTiePoints")},
    {TIFFTAG_GEOTRANSMATRIX, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoTransformationMatrix")},
    {TIFFTAG_GEOKEYDIRECTORY, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectory")},
    {TIFFTAG_GEODOUBLEPARAMS, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoDoubleParams")},
    {TIFFTAG_GEOASCIIPARAMS, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GeoASCIIParams")},
    {TIFFTAG_GDAL_NODATA, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")},
};

TIFFExtendProc previous_extender = nullptr;

void add_geo_fields(TIFF* tif) {
    for (const TIFFFieldInfo& field : kGeoFields) {
        if (!TIFFFindField(tif, field.field_tag, TIFF_ANY)) TIFFMergeFieldInfo(tif, &field, 1);
    }
    if (previous_extender) previous_extender(tif);
}

}  // namespace

std::int64_t TiffHandle::read_bytes(void* to, std::int64_t count) {
    if (count <= 0) return 0;
    const std::size_t got =
        file_.read_at(position_, {static_cast<std::byte*>(to), static_cast<std::size_t>(count)});
    position_ += got;
    return static_cast<std::int64_t>(got);
}

std::uint64_t TiffHandle::seek_to(std::uint64_t offset, int whence) {
    // libtiff passes negative relative moves as their two's complement.
    switch (whence) {
        case SEEK_SET: position_ = offset; break;
        case SEEK_CUR: position_ += offset; break;
        case SEEK_END: position_ = size_ + offset; break;
        default: return static_cast<std::uint64_t>(-1);
    }
    return position_;
}

void register_geotiff_tags() {
    static std::once_flag fields_registered;
    std::call_once(fields_registered, [] { previous_extender = TIFFSetTagExtender(add_geo_fields); });
}

std::unique_ptr<TiffHandle> TiffHandle::open(const std::string& path) {
    register_geotiff_tags();

    auto file = platform::File::open_read(path);
    if (!file) return nullptr;
    const auto size = file->size();
    if (!size) return nullptr;
    std::unique_ptr<TiffHandle> handle(new TiffHandle(std::move(*file), *size));

    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, geotiff::count_error, handle.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignore_warning, nullptr);
    // "m": no memory mapping, every byte goes through our reads.
    handle->tif_ = TIFFClientOpenExt(path.c_str(), "rm", handle.get(), read_proc, write_proc, seek_proc, close_proc,
                                     size_proc, map_proc, unmap_proc, options);
    TIFFOpenOptionsFree(options);
    if (!handle->tif_) return nullptr;
    return handle;
}

TiffHandle::~TiffHandle() {
    if (tif_) TIFFClose(tif_);
}

}  // namespace gridlib::formats::geotiff
