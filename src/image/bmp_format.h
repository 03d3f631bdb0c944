// The BMP file layout shared by every image writer: the 54-byte file and
// information headers, the palette, and the padding of pixel lines. Fields
// are written one by one as little-endian bytes into a Sink, so that tests
// can compare the bytes in memory and no struct packing or host byte order
// is involved.
#pragma once

#include "colour/colour_table.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gridlib::bmp {

inline constexpr std::uint32_t kHeaderBytes = 54;

// Receives the bytes of an image file in order.
class Sink {
public:
    virtual ~Sink() = default;
    // False when the bytes could not be stored.
    virtual bool write(std::span<const std::byte> bytes) = 0;
};

class FileSink final : public Sink {
public:
    explicit FileSink(platform::File& file) : file_(file) {}
    bool write(std::span<const std::byte> bytes) override { return file_.write(bytes); }

private:
    platform::File& file_;
};

class MemorySink final : public Sink {
public:
    bool write(std::span<const std::byte> bytes) override {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return true;
    }
    const std::vector<std::byte>& bytes() const { return bytes_; }

private:
    std::vector<std::byte> bytes_;
};

// Everything the headers say about an image, checked to fit their fields.
struct Layout {
    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: the bottom line is stored first
    std::uint16_t bits_per_pixel = 8;
    std::uint32_t palette_entries = 0;  // 0 for true colour
    std::uint32_t line_bytes = 0;       // a pixel line padded to a multiple of 4
    std::uint32_t pixel_offset = 0;
    std::uint32_t file_size = 0;
};

// The bytes of one pixel line padded to a multiple of 4.
inline std::uint64_t padded_line_bytes(std::uint64_t width, unsigned bits_per_pixel) {
    return (width * (bits_per_pixel / 8u) + 3u) / 4u * 4u;
}

// The layout of a width x height image with 8 or 24 bits per pixel and a
// palette of 0..256 entries; nothing when the width or height is not
// positive or the file would not fit the format's 32-bit size fields
// (width or height above INT32_MAX, file size above 0xFFFFFFFF).
std::optional<Layout> plan(std::int64_t width, std::int64_t height, unsigned bits_per_pixel,
                           std::uint32_t palette_entries);

// The file header and the information header: 54 bytes.
bool write_header(Sink& sink, const Layout& layout);
// Palette entry p holds colour table entry p as blue, green, red and a zero
// byte; only the low byte of each table value is used.
bool write_palette(Sink& sink, ConstColourTableView table, std::uint32_t entries);

}  // namespace gridlib::bmp
