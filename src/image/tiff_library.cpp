// libtiff handles over files and the GeoTIFF tags' arrays.
#include "image/tiff_library.h"

#include "formats/geotiff/tiff_handle.h"

#include <tiffio.h>
#include <xtiffio.h>

#include <cstdio>

namespace gridlib::tiff_library {
namespace {

int drop_message(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// libtiff's options for a handle that prints nothing; the GeoTIFF tags are
// known to every handle opened after this (the grid reader's registration,
// made once for the process).
struct QuietOptions {
    QuietOptions() : options(TIFFOpenOptionsAlloc()) {
        formats::geotiff::register_geotiff_tags();
        if (!options) return;
        TIFFOpenOptionsSetErrorHandlerExtR(options, drop_message, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options, drop_message, nullptr);
    }
    ~QuietOptions() {
        if (options) TIFFOpenOptionsFree(options);
    }
    QuietOptions(const QuietOptions&) = delete;
    QuietOptions& operator=(const QuietOptions&) = delete;
    TIFFOpenOptions* options;
};

platform::File& file_of(thandle_t h) { return *static_cast<platform::File*>(h); }

tmsize_t read_nothing(thandle_t, void*, tmsize_t) { return 0; }
tmsize_t read_file(thandle_t h, void* data, tmsize_t n) {
    if (n < 0) return -1;
    const std::size_t got = file_of(h).read(std::span(static_cast<std::byte*>(data), static_cast<std::size_t>(n)));
    return file_of(h).error() ? -1 : static_cast<tmsize_t>(got);
}
tmsize_t write_nothing(thandle_t, void*, tmsize_t) { return -1; }
tmsize_t write_file(thandle_t h, void* data, tmsize_t n) {
    if (n < 0) return -1;
    const bool ok = file_of(h).write(std::span(static_cast<const std::byte*>(data), static_cast<std::size_t>(n)));
    return ok ? n : -1;
}
toff_t seek_file(thandle_t h, toff_t offset, int whence) {
    platform::File& f = file_of(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = f.position();
    } else if (whence == SEEK_END) {
        const auto size = f.size();
        if (!size) return static_cast<toff_t>(-1);
        base = *size;
    }
    return f.seek(base + offset) ? base + offset : static_cast<toff_t>(-1);
}
int close_nothing(thandle_t) { return 0; }
toff_t size_of(thandle_t h) { return file_of(h).size().value_or(0); }
int map_nothing(thandle_t, void**, toff_t*) { return 0; }
void unmap_nothing(thandle_t, void*, toff_t) {}

// A tag's array as libtiff hands it out: with a 16-bit or a 32-bit count,
// as the tag was declared.
template <typename T>
std::optional<std::vector<T>> array_of(TIFF* t, std::uint32_t tag, TIFFDataType type) {
    const TIFFField* field = TIFFFindField(t, tag, TIFF_ANY);
    if (!field || !TIFFFieldPassCount(field) || TIFFFieldDataType(field) != type) return std::nullopt;
    T* data = nullptr;
    std::uint32_t count = 0;
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
        if (!TIFFGetField(t, tag, &count, &data)) return std::nullopt;
    } else {
        std::uint16_t short_count = 0;
        if (!TIFFGetField(t, tag, &short_count, &data)) return std::nullopt;
        count = short_count;
    }
    if (!data && count > 0) return std::nullopt;
    return std::vector<T>(data, data + count);
}

template <typename T>
bool set_array(TIFF* t, std::uint32_t tag, const std::vector<T>& values) {
    const TIFFField* field = TIFFFindField(t, tag, TIFF_ANY);
    // A count of 16 bits is all some declarations hold.
    if (!field || !TIFFFieldPassCount(field) || values.size() > 65535) return false;
    // libtiff takes the count as an int or a uint32_t, the same bits here.
    return TIFFSetField(t, tag, static_cast<std::uint32_t>(values.size()), values.data()) == 1;
}

}  // namespace

void Closer::operator()(TIFF* t) const { TIFFClose(t); }

Handle open_read(platform::File& file) {
    const QuietOptions quiet;
    if (!quiet.options) return nullptr;
    // Not mapped: a file cut short by another process must not fault the reader.
    return Handle(TIFFClientOpenExt("grid", "rm", &file, read_file, write_nothing, seek_file, close_nothing, size_of,
                                    map_nothing, unmap_nothing, quiet.options));
}

Handle open_write(platform::File& file, bool big) {
    const QuietOptions quiet;
    if (!quiet.options) return nullptr;
    return Handle(TIFFClientOpenExt("image", big ? "w8" : "w", &file, read_nothing, write_file, seek_file,
                                     close_nothing, size_of, map_nothing, unmap_nothing, quiet.options));
}

std::optional<std::vector<std::uint16_t>> shorts(TIFF* t, std::uint32_t tag) {
    return array_of<std::uint16_t>(t, tag, TIFF_SHORT);
}

std::optional<std::vector<double>> doubles(TIFF* t, std::uint32_t tag) { return array_of<double>(t, tag, TIFF_DOUBLE); }

std::optional<std::string> text(TIFF* t, std::uint32_t tag) {
    const TIFFField* field = TIFFFindField(t, tag, TIFF_ANY);
    if (!field || TIFFFieldDataType(field) != TIFF_ASCII) return std::nullopt;
    if (TIFFFieldPassCount(field)) {
        auto bytes = array_of<char>(t, tag, TIFF_ASCII);
        if (!bytes) return std::nullopt;
        std::string s(bytes->begin(), bytes->end());
        if (!s.empty() && s.back() == '\0') s.pop_back();
        return s;
    }
    const char* s = nullptr;
    if (!TIFFGetField(t, tag, &s) || !s) return std::nullopt;
    return std::string(s);
}

bool set_shorts(TIFF* t, std::uint32_t tag, const std::vector<std::uint16_t>& values) {
    return set_array(t, tag, values);
}

bool set_doubles(TIFF* t, std::uint32_t tag, const std::vector<double>& values) { return set_array(t, tag, values); }

bool set_text(TIFF* t, std::uint32_t tag, const std::string& value) {
    const TIFFField* field = TIFFFindField(t, tag, TIFF_ANY);
    if (!field) return false;
    if (!TIFFFieldPassCount(field)) return TIFFSetField(t, tag, value.c_str()) == 1;
    std::vector<char> bytes(value.begin(), value.end());
    bytes.push_back('\0');
    return set_array(t, tag, bytes);
}

}  // namespace gridlib::tiff_library
