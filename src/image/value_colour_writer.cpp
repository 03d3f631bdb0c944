// The palette file writer. Every cell gets the colour gdaldem color-relief
// would give it: through a table of bins where a bin's whole interval has
// one colour, and interpolated on its own where it has not.
#include "image/value_colour_writer.h"

#include "image/image_file.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

namespace gridlib {
namespace {

// A colour as the bytes of a pixel with alpha: red, green, blue, alpha.
using Packed = std::uint32_t;

Packed packed(const Rgba& c) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                                   static_cast<std::uint8_t>(c.blue), static_cast<std::uint8_t>(c.alpha)};
    Packed p;
    std::memcpy(&p, bytes, sizeof p);
    return p;
}

// The least float at or above x, and the greatest at or below it: a float
// value lies in the closed interval of doubles exactly when it lies in that
// of these floats.
float float_at_or_above(double x) {
    float f = static_cast<float>(x);
    if (static_cast<double>(f) < x) f = std::nextafter(f, std::numeric_limits<float>::infinity());
    return f;
}
float float_at_or_below(double x) {
    float f = static_cast<float>(x);
    if (static_cast<double>(f) > x) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
    return f;
}

// Bins of equal width over the data range, each holding its colour when its
// whole closed interval has that one colour: no stop lies within it, and
// the colours at its two ends agree, which suffices because each channel
// rises or falls monotonically between two stops. The test of a value
// against its bin's own ends makes the look-up exact whatever the rounding
// of the bin number. The ends are kept as floats, the cells' own type, and
// a bin is a third of a cache line or so.
class BinnedColours {
public:
    BinnedColours(const ValueColours& exact, std::span<const double> stops, double lower, double upper)
        : exact_(exact), lower_(lower), scale_(kBins / (upper - lower)) {
        if (!(upper > lower) || !std::isfinite(scale_)) return;
        bins_.resize(kBins);
        const double width = (upper - lower) / kBins;
        std::size_t stop = 0, segment = 0;
        for (std::size_t b = 0; b < kBins; ++b) {
            const double low = lower + static_cast<double>(b) * width;
            const double high = b + 1 == kBins ? upper : lower + static_cast<double>(b + 1) * width;
            while (stop < stops.size() && stops[stop] < low) ++stop;
            const bool stop_inside = stop < stops.size() && stops[stop] <= high;
            const Rgba low_colour = exact(low, segment), high_colour = exact(high, segment);
            Bin& bin = bins_[b];
            if (!stop_inside && low_colour == high_colour) {
                bin.low = float_at_or_above(low);
                bin.high = float_at_or_below(high);
                bin.colour = packed(low_colour);
            }
        }
    }
    Packed operator()(float v, std::size_t& segment) const {
        if (!bins_.empty()) {
            const double at = (static_cast<double>(v) - lower_) * scale_;
            if (at >= 0 && at < kBins) {
                const Bin& bin = bins_[static_cast<std::size_t>(at)];
                if (v >= bin.low && v <= bin.high) return bin.colour;
            }
        }
        return packed(exact_(v, segment));
    }

private:
    // An arbitrary count: fine enough that most bins of a smooth palette
    // hold one colour, small enough to build in no time.
    static constexpr std::size_t kBins = 1 << 16;
    // A bin of more than one colour has no float in its interval.
    struct Bin {
        float low = 1, high = 0;
        Packed colour = 0;
    };
    const ValueColours& exact_;
    double lower_, scale_;
    std::vector<Bin> bins_;
};

// Paints the kept cells of a row, each replicated, in pixels of Bytes bytes:
// 4 (red, green, blue, alpha) or 3 (blue, green, red).
template <std::size_t Bytes>
void paint_row(std::span<const float> values, const BinnedColours& colour_of, Packed null_pixel,
               const image::ImageScale& scale, std::span<std::byte> line) {
    const auto step = static_cast<std::size_t>(scale.step), replication = static_cast<std::size_t>(scale.replication);
    std::byte* out = line.data();
    std::size_t segment = 0;
    for (std::size_t c = 0; c < values.size(); c += step) {
        const Packed colour = is_valid(values[c]) ? colour_of(values[c], segment) : null_pixel;  // NaN is not
        std::byte pixel[4];
        std::memcpy(pixel, &colour, sizeof pixel);
        if constexpr (Bytes == 3) std::swap(pixel[0], pixel[2]);
        for (std::size_t r = 0; r < replication; ++r, out += Bytes) std::memcpy(out, pixel, Bytes);
    }
}

}  // namespace

std::int32_t write_value_colour_image(const std::string& working_path, const std::string& image_path,
                                      DescriptorView d, const PaletteFile& palette) {
    if (is_byte_image(d.format()) || d.columns() <= 0 || d.rows() <= 0 || palette.stops.empty())
        return GRIDLIB_REFUSED;
    const image::ImageScale scale = image::image_scale(d.image_width(), d.columns());
    const auto layout = image::ImageLayout::plan(image_format_of(image_path), scale.side(d.columns()),
                                                 scale.side(d.rows()), image::Pixels::true_colour, 0);
    if (!layout) return GRIDLIB_IMAGE_TOO_LARGE;
    const bool with_alpha = layout->format() != ImageFormat::bmp;
    const ValueColours exact(palette, d.data_min(), d.data_max());
    const BinnedColours colour_of(exact, exact.stop_values(), d.data_min(), d.data_max());
    // White, and transparent where there is alpha, without a null colour.
    const Packed null_pixel = packed(exact.null_colour().value_or(Rgba{255, 255, 255, 0}));
    return image::write_image(working_path, image_path, d.columns(), d.rows(), scale, *layout, std::nullopt, [&] {
        return image::LinePainter([&](std::int64_t, std::span<const float> values, std::span<std::byte> line) {
            if (with_alpha) {
                paint_row<4>(values, colour_of, null_pixel, scale, line);
            } else {
                paint_row<3>(values, colour_of, null_pixel, scale, line);
            }
            return true;
        });
    });
}

}  // namespace gridlib
