// Rasterising the colour bar. The picture is a few hundred pixels a side,
// so it is drawn whole in memory and compressed as one block.
#include "colour_bar/bar_png.h"

#include "colour_bar/bar_layout.h"
#include "colour_bar/font.h"
#include "image/png_blocks.h"
#include "image/png_format.h"

#include <cmath>
#include <vector>

namespace gridlib::colour_bar {
namespace {

constexpr Rgb8 kBlack{0, 0, 0};

// Red, green, blue and alpha; the bar is opaque.
class Raster final : public Canvas {
public:
    Raster(int width, int height)
        : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4,
                                                 std::byte{255}) {}

    void cover(std::int64_t x, std::int64_t y, std::uint8_t coverage) override {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        std::byte* p = pixel(x, y);
        // Black text over what lies beneath, by its coverage.
        for (int k = 0; k < 3; ++k)
            p[k] = static_cast<std::byte>(std::to_integer<int>(p[k]) * (255 - coverage) / 255);
    }
    // Fills the pixels whose centres lie inside the box.
    void fill(const Box& b, Rgb8 c) {
        const auto x0 = first_inside(b.x), x1 = first_inside(b.x + b.width);
        const auto y0 = first_inside(b.y), y1 = first_inside(b.y + b.height);
        for (std::int64_t y = std::max<std::int64_t>(y0, 0); y < std::min<std::int64_t>(y1, height_); ++y)
            for (std::int64_t x = std::max<std::int64_t>(x0, 0); x < std::min<std::int64_t>(x1, width_); ++x) {
                std::byte* p = pixel(x, y);
                p[0] = static_cast<std::byte>(c.red);
                p[1] = static_cast<std::byte>(c.green);
                p[2] = static_cast<std::byte>(c.blue);
            }
    }
    // A one-pixel black line around the box.
    void frame(const Box& b) {
        const double right = b.x + b.width, bottom = b.y + b.height;
        fill({b.x - 1, b.y - 1, b.width + 2, 1}, kBlack);
        fill({b.x - 1, bottom, b.width + 2, 1}, kBlack);
        fill({b.x - 1, b.y, 1, b.height}, kBlack);
        fill({right, b.y, 1, b.height}, kBlack);
    }
    std::span<const std::byte> bytes() const { return bytes_; }

private:
    static std::int64_t first_inside(double edge) { return static_cast<std::int64_t>(std::ceil(edge - 0.5)); }
    std::byte* pixel(std::int64_t x, std::int64_t y) {
        return bytes_.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                static_cast<std::size_t>(x)) * 4;
    }
    int width_, height_;
    std::vector<std::byte> bytes_;
};

// The label's digits centred on its tick, as the SVG's central baseline does.
void draw_label(Font& font, const PlacedLabel& l, double size, Raster& raster) {
    font.draw(l.text, size, l.x, l.y + font.digit_height(size) / 2, raster);
}

}  // namespace

std::int32_t write_bar_png(const BarDescription& bar, platform::File& file) {
    const auto regular = Font::open(kRegularFont);
    const auto bold = Font::open(kBoldFont);
    if (!regular || !bold) return GRIDLIB_FONT_MISSING;
    const BarLayout l = lay_out(bar, [&](const std::string& text, double size, bool in_bold) {
        return (in_bold ? *bold : *regular).width(text, size);
    });
    const auto layout = png::plan(l.width, l.height, 0);
    if (!layout) return GRIDLIB_IMAGE_WRITE_FAILED;

    Raster raster(l.width, l.height);
    bold->draw(l.title, l.title_size, l.bar.x, l.title_baseline, raster);
    for (const PlacedStep& step : l.steps) raster.fill(step.box, step.colour);
    raster.frame(l.bar);
    const double tick_x = l.bar.x + l.bar.width;
    for (const PlacedLabel& t : l.labels) {
        raster.fill({tick_x, t.y - 0.5, l.tick_length, 1}, kBlack);
        draw_label(*regular, t, l.label_size, raster);
    }
    if (l.has_null) {
        raster.fill(l.null_swatch, l.null_colour);
        raster.frame(l.null_swatch);
        draw_label(*regular, l.null_label, l.label_size, raster);
    }

    const auto writer = png::Writer::start(file, *layout, std::nullopt);
    if (!writer) return GRIDLIB_IMAGE_WRITE_FAILED;
    png::BlockCompressor compressor(layout->line_bytes, 4);
    png::StreamJoiner joiner;
    if (!compressor.compress(raster.bytes(), 1, true) || !writer->write_image_data(joiner.pieces(compressor)) ||
        !writer->finish())
        return GRIDLIB_IMAGE_WRITE_FAILED;
    return 0;
}

}  // namespace gridlib::colour_bar
