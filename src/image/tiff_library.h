// libtiff as the image writers use it: handles that report nothing
// themselves (their errors and warnings are dropped, failures show as false
// results), that know the GeoTIFF tags, and the tags' arrays read and
// written whichever way the library that registered a tag declared its
// count.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct tiff;

namespace gridlib::tiff_library {

struct Closer {
    void operator()(::tiff* t) const;
};
using Handle = std::unique_ptr<::tiff, Closer>;

// A TIFF read through the file, which stays open and owned by the caller
// (opened by platform::File, so that a FIFO or device is never waited on);
// nothing when it is no TIFF.
Handle open_read(platform::File& file);
// A new TIFF written through the file, which stays open and owned by the
// caller: closing the handle writes the directory but leaves the file
// open. BigTIFF when `big`. Nothing when libtiff fails.
Handle open_write(platform::File& file, bool big);

// A tag's array of 16-bit values or of doubles; nothing when the file has
// none or holds it as another type.
std::optional<std::vector<std::uint16_t>> shorts(::tiff* t, std::uint32_t tag);
std::optional<std::vector<double>> doubles(::tiff* t, std::uint32_t tag);
// A tag's text, without its final NUL; nothing when the file has none.
std::optional<std::string> text(::tiff* t, std::uint32_t tag);

// The same tags set; false when libtiff refuses.
bool set_shorts(::tiff* t, std::uint32_t tag, const std::vector<std::uint16_t>& values);
bool set_doubles(::tiff* t, std::uint32_t tag, const std::vector<double>& values);
bool set_text(::tiff* t, std::uint32_t tag, const std::string& value);

}  // namespace gridlib::tiff_library
