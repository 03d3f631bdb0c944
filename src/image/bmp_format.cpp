// BMP headers and palette as explicit little-endian fields.
#include "image/bmp_format.h"

#include "image/image_format.h"

#include <array>
#include <limits>

namespace gridlib::bmp {
namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;

class FieldWriter {
public:
    void u16(std::uint16_t v) { bytes(v, 2); }
    void u32(std::uint32_t v) { bytes(v, 4); }
    void i32(std::int32_t v) { bytes(static_cast<std::uint32_t>(v), 4); }
    const std::array<std::byte, kHeaderBytes>& data() const { return data_; }

private:
    void bytes(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) data_[at_++] = static_cast<std::byte>((v >> (8 * i)) & 0xFFu);
    }
    std::array<std::byte, kHeaderBytes> data_{};
    std::size_t at_ = 0;
};

}  // namespace

std::optional<Layout> plan(std::int64_t width, std::int64_t height, unsigned bits_per_pixel,
                           std::uint32_t palette_entries) {
    constexpr std::int64_t kMaxSide = std::numeric_limits<std::int32_t>::max();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    if (palette_entries > kColourEntries || (bits_per_pixel != 8 && bits_per_pixel != 24)) return std::nullopt;
    const std::uint64_t line = padded_line_bytes(static_cast<std::uint64_t>(width), bits_per_pixel);
    const std::uint64_t offset = kHeaderBytes + 4u * std::uint64_t{palette_entries};
    constexpr std::uint64_t kMaxFile = std::numeric_limits<std::uint32_t>::max();
    // line <= 3 * 2^31 and height < 2^31, so the product cannot overflow.
    if (line > kMaxFile || line * static_cast<std::uint64_t>(height) > kMaxFile - offset) return std::nullopt;
    Layout l;
    l.width = static_cast<std::int32_t>(width);
    l.height = static_cast<std::int32_t>(height);
    l.bits_per_pixel = static_cast<std::uint16_t>(bits_per_pixel);
    l.palette_entries = palette_entries;
    l.line_bytes = static_cast<std::uint32_t>(line);
    l.pixel_offset = static_cast<std::uint32_t>(offset);
    l.file_size = static_cast<std::uint32_t>(offset + line * static_cast<std::uint64_t>(height));
    return l;
}

bool write_header(Sink& sink, const Layout& layout) {
    FieldWriter f;
    f.u16(0x4D42);  // "BM"
    f.u32(layout.file_size);
    f.u16(0);
    f.u16(0);
    f.u32(layout.pixel_offset);
    f.u32(kInfoHeaderBytes);
    f.i32(layout.width);
    f.i32(layout.height);
    f.u16(1);  // planes
    f.u16(layout.bits_per_pixel);
    f.u32(0);  // no compression
    f.u32(0);  // image size: may be 0 when uncompressed
    f.u32(kPixelsPerMetre);
    f.u32(kPixelsPerMetre);
    f.u32(layout.palette_entries);  // colours used
    f.u32(layout.palette_entries);  // important colours
    return sink.write(f.data());
}

bool write_palette(Sink& sink, ConstColourTableView table, std::uint32_t entries) {
    std::vector<std::byte> bytes;
    bytes.reserve(4u * entries);
    auto low = [](std::int32_t v) { return static_cast<std::byte>(static_cast<std::uint32_t>(v) & 0xFFu); };
    for (std::uint32_t p = 0; p < entries && p < kColourEntries; ++p) {
        const Rgb8 c = table.get(p);
        bytes.insert(bytes.end(), {low(c.blue), low(c.green), low(c.red), std::byte{0}});
    }
    return sink.write(bytes);
}

}  // namespace gridlib::bmp
