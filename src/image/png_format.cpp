// libpng behind png::Writer. libpng reports errors by longjmp; each call
// into it is made from a small function that holds the jump buffer and no
// object with a destructor, so the jump skips nothing but libpng's own C
// frames.
#include "image/png_format.h"

#include "image/image_format.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>

namespace gridlib::png {
namespace {

// The image data is compressed apart from libpng (image/png_blocks.h);
// libpng writes it in IDAT chunks of at most this many bytes.
constexpr std::size_t kLargestChunk = PNG_UINT_31_MAX;
constexpr png_byte kImageData[5] = "IDAT";
constexpr png_byte kEnd[5] = "IEND";

[[noreturn]] void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore_warning(png_structp, png_const_charp) {}

// A failed write is kept by the file, which reports it at the latest when it
// is closed; the writer checks it after each of its calls.
void write_bytes(png_structp png, png_bytep data, std::size_t n) {
    static_cast<platform::File*>(png_get_io_ptr(png))->write(std::as_bytes(std::span(data, n)));
}
void flush_nothing(png_structp) {}

// Runs f, which calls libpng; false when libpng failed.
template <typename Call>
bool guarded(png_structp png, const Call& f) {
    if (setjmp(png_jmpbuf(png))) return false;
    f();
    return true;
}

}  // namespace

std::optional<Layout> plan(std::int64_t width, std::int64_t height, std::uint32_t palette_entries) {
    if (width <= 0 || height <= 0 || width > PNG_UINT_31_MAX || height > PNG_UINT_31_MAX) return std::nullopt;
    if (palette_entries > kColourEntries) return std::nullopt;
    Layout l;
    l.width = static_cast<std::uint32_t>(width);
    l.height = static_cast<std::uint32_t>(height);
    l.palette_entries = palette_entries;
    l.line_bytes = static_cast<std::size_t>(width) * (palette_entries > 0 ? 1u : 4u);
    return l;
}

std::optional<Layout> plan_keyed(std::int64_t width, std::int64_t height, Rgb8 key) {
    auto l = plan(width, height, 0);
    if (!l) return std::nullopt;
    l->key = key;
    l->line_bytes = static_cast<std::size_t>(width) * 3u;
    return l;
}

Writer::Writer(platform::File& file) : file_(file) {}

Writer::~Writer() {
    if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
}

std::unique_ptr<Writer> Writer::start(platform::File& file, const Layout& layout,
                                      const std::optional<ConstColourTableView>& palette) {
    std::unique_ptr<Writer> w(new Writer(file));
    w->png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignore_warning);
    if (!w->png_) return nullptr;
    w->info_ = png_create_info_struct(w->png_);
    if (!w->info_) return nullptr;

    const bool indexed = layout.palette_entries > 0;
    if (indexed && !palette) return nullptr;
    std::array<png_color, kColourEntries> colours{};
    for (std::uint32_t p = 0; indexed && p < layout.palette_entries; ++p) {
        const Rgb8 c = palette->get(p);
        auto low = [](std::int32_t v) { return static_cast<png_byte>(static_cast<std::uint32_t>(v) & 0xFFu); };
        colours[p] = {low(c.red), low(c.green), low(c.blue)};
    }
    const png_byte transparent = 0;
    png_color_16 key{};
    if (layout.key) {
        key.red = static_cast<png_uint_16>(layout.key->red & 0xFF);
        key.green = static_cast<png_uint_16>(layout.key->green & 0xFF);
        key.blue = static_cast<png_uint_16>(layout.key->blue & 0xFF);
    }
    const int true_colour = layout.key ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;

    png_structp png = w->png_;
    png_infop info = w->info_;
    const bool started = guarded(png, [&] {
        png_set_write_fn(png, &file, write_bytes, flush_nothing);
        // libpng's default caps of a million pixels a side are for readers.
        png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
        png_set_IHDR(png, info, layout.width, layout.height, 8,
                     indexed ? PNG_COLOR_TYPE_PALETTE : true_colour, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        if (indexed) {
            png_set_PLTE(png, info, colours.data(), static_cast<int>(layout.palette_entries));
            png_set_tRNS(png, info, &transparent, 1, nullptr);
        } else if (layout.key) {
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
        png_set_pHYs(png, info, kPixelsPerMetre, kPixelsPerMetre, PNG_RESOLUTION_METER);
        png_write_info(png, info);
    });
    if (!started || file.error()) return nullptr;
    return w;
}

bool Writer::write_image_data(std::span<const std::span<const std::byte>> pieces) {
    std::size_t total = 0;
    for (const auto& piece : pieces) total += piece.size();
    png_structp png = png_;
    return guarded(png, [&] {
        auto piece = pieces.begin();
        std::size_t at = 0;  // in *piece
        while (total > 0) {
            std::size_t chunk = std::min(total, kLargestChunk);
            total -= chunk;
            png_write_chunk_start(png, kImageData, static_cast<png_uint_32>(chunk));
            while (chunk > 0) {
                const std::size_t n = std::min(chunk, piece->size() - at);
                if (n > 0) png_write_chunk_data(png, reinterpret_cast<png_const_bytep>(piece->data() + at), n);
                chunk -= n;
                at += n;
                if (at == piece->size()) ++piece, at = 0;
            }
            png_write_chunk_end(png);
        }
    }) && !file_.error();
}

// libpng's png_write_end refuses to end a file whose image data it did not
// compress itself; the end chunk is written as any other chunk.
bool Writer::finish() {
    png_structp png = png_;
    return guarded(png, [&] { png_write_chunk(png, kEnd, nullptr, 0); }) && !file_.error();
}

}  // namespace gridlib::png
