// PNG files through libpng: an 8-bit palette image whose first palette entry
// (the colour of null cells) is fully transparent, or an 8-bit red, green,
// blue and alpha image. libpng writes the chunks; the image data it is given
// compressed (image/png_blocks.h), piece by piece. libpng reports nothing
// itself: its warnings are dropped and its errors become a false result.
#pragma once

#include "colour/colour_table.h"
#include "image/png_blocks.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

struct png_struct_def;
struct png_info_def;

namespace gridlib::png {

// Everything the header chunk says of an image, checked to fit the format,
// and how its data is compressed.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t palette_entries = 0;  // 1..256; 0 for true colour
    // True colour: red, green, blue and alpha; or, with a key, red, green
    // and blue, the pixels of the key's colour transparent (a tRNS chunk).
    std::optional<Rgb8> key;
    std::size_t line_bytes = 0;  // one byte per pixel, four, or three with a key
    Compression compression = Compression::runs;
};

// The layout of a width x height image with a palette of palette_entries
// (0: true colour with alpha); nothing when a side is not positive or beyond
// the 2^31 - 1 the format holds, or the palette has more than 256 entries.
std::optional<Layout> plan(std::int64_t width, std::int64_t height, std::uint32_t palette_entries);
// The same in true colour without alpha, the key's pixels transparent.
std::optional<Layout> plan_keyed(std::int64_t width, std::int64_t height, Rgb8 key);

class Writer {
public:
    // Writes the signature and the chunks before the pixels to the file: the
    // header, for a palette image the first layout.palette_entries entries of
    // the colour table (the low byte of each value) with entry 0 transparent,
    // for a keyed image the key, and the resolution of 4096 pixels per metre that the BMP states too.
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
