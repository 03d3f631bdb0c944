// Everything an image writer does around its painters: the image's layout
// checked against its file format, the working grid opened, the file
// written under a temporary name beside the output (headers, every line
// painted, the end), and renamed into place when it is complete.
#pragma once

#include "colour/colour_table.h"
#include "image/bmp_format.h"
#include "image/image_format.h"
#include "image/image_lines.h"
#include "image/png_format.h"
#include "image/tiff_format.h"
#include "image/true_colour.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace gridlib::image {

// What a painter writes per pixel: a palette index, or a true colour.
enum class Pixels { palette_indices, true_colour };

// An image of a file format, checked to fit the format's size fields.
class ImageLayout {
public:
    // Nothing when a side is not positive or the image is beyond what the
    // format holds. A palette image has palette_entries (1..256) entries.
    static std::optional<ImageLayout> plan(ImageFormat format, std::int64_t width, std::int64_t height, Pixels pixels,
                                           std::uint32_t palette_entries);

    // A true-colour PNG of colours by value: without alpha when a key is
    // given (its pixels transparent), and compressed as
    // png::Compression::matches. Nothing where plan gives nothing.
    static std::optional<ImageLayout> plan_value_png(std::int64_t width, std::int64_t height,
                                                     const std::optional<Rgb8>& key);

    using Layouts = std::variant<bmp::Layout, png::Layout, tiff::Layout>;

    ImageFormat format() const;
    // The bytes of one line as the painter fills it, padding included.
    std::size_t line_bytes() const;
    // How a true-colour painter stores its pixels: with alpha in a PNG or TIFF.
    TrueColourPixels true_colour() const { return TrueColourPixels(format() != ImageFormat::bmp); }

    const Layouts& layout() const { return layout_; }

private:
    explicit ImageLayout(Layouts layout) : layout_(layout) {}
    Layouts layout_;
};

// Draws the working grid of columns x rows cells at working_path into the
// image file image_path laid out as `layout`, a palette image with the
// first palette entries of the colour table. On failure nothing is left
// behind and an existing image stays as it was. The blocks are painted on
// as many threads as keep their blocks within half of the memory the
// process may use (image/block_memory.h). Returns 0, one of the
// GRIDLIB_IMAGE_ statuses: GRIDLIB_IMAGE_TOO_LARGE, before anything is
// made, when one thread's block needs more than all of that memory
// (last_memory_shortage tells the sizes); GRIDLIB_IMAGE_GRID_UNREADABLE,
// before any buffer is made, when the working grid is shorter than `rows`
// rows; or GRIDLIB_NO_ROOM (nothing made) for a BMP its file system has no
// room for.
std::int32_t write_image(const std::string& working_path, const std::string& image_path, std::int32_t columns,
                         std::int64_t rows, const ImageScale& scale, const ImageLayout& layout,
                         const std::optional<ConstColourTableView>& palette, const PainterMaker& make_painter);

}  // namespace gridlib::image
