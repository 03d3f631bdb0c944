// PNG files through libpng: an 8-bit palette image whose first palette entry
// (the colour of null cells) is fully transparent, or an 8-bit red, green,
// blue and alpha image. libpng writes the chunks; the image data it is given
// compressed (image/png_blocks.h), piece by piece. libpng reports nothing
// itself: its warnings are dropped and its errors become a false result.
#pragma once

#include "colour/colour_table.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

struct png_struct_def;
struct png_info_def;

namespace gridlib::png {

// Everything the header chunk says of an image, checked to fit the format.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t palette_entries = 0;  // 1..256; 0 for red, green, blue and alpha
    std::size_t line_bytes = 0;         // one byte per pixel, or four
};

// The layout of a width x height image with a palette of palette_entries
// (0: true colour with alpha); nothing when a side is not positive or beyond
// the 2^31 - 1 the format holds, or the palette has more than 256 entries.
std::optional<Layout> plan(std::int64_t width, std::int64_t height, std::uint32_t palette_entries);

class Writer {
public:
    // Writes the signature and the chunks before the pixels to the file: the
    // header, for a palette image the first layout.palette_entries entries of
    // the colour table (the low byte of each value) with entry 0 transparent,
    // and the resolution of 4096 pixels per metre that the BMP states too.
    // Nothing when libpng fails.
    static std::unique_ptr<Writer> start(platform::File& file, const Layout& layout,
                                         const std::optional<ConstColourTableView>& palette);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // The next bytes of the image's zlib stream, the pieces one after
    // another, in an image data chunk (several if they are too long for
    // one). False when libpng or the file failed.
    bool write_image_data(std::span<const std::span<const std::byte>> pieces);
    // Ends the file once the stream is complete; false on failure.
    bool finish();

private:
    explicit Writer(platform::File& file);

    platform::File& file_;
    png_struct_def* png_ = nullptr;
    png_info_def* info_ = nullptr;
};

}  // namespace gridlib::png
