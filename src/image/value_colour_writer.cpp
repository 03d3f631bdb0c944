// The palette file writer. Every cell gets the colour gdaldem color-relief
// would give it: through a table of bins where a bin's whole interval has
// one colour, and interpolated on its own where it has not.
#include "image/value_colour_writer.h"

#include "colour/binning.h"
#include "image/image_file.h"
#include "image/true_colour.h"

#include <cmath>
#include <span>
#include <vector>

namespace gridlib {
namespace {

// Bins of equal width over the data range, each holding its colour when its
// whole closed interval has that one colour: no stop lies within it, and
// the colours at its two ends agree, which suffices because each channel
// rises or falls monotonically between two stops. The test of a value
// against its bin's own ends makes the look-up exact whatever the rounding
// of the bin number.
class BinnedColours {
public:
    BinnedColours(const ValueColours& exact, std::span<const double> stops, double lower, double upper)
        : exact_(exact), lower_(lower), scale_(kBins / (upper - lower)) {
        if (!(upper > lower) || !std::isfinite(scale_)) return;
        bins_.resize(kBins);
        const double width = (upper - lower) / kBins;
        std::size_t stop = 0, segment = 0;
        for (std::size_t b = 0; b < kBins; ++b) {
            Bin& bin = bins_[b];
            bin.low = lower + static_cast<double>(b) * width;
            bin.high = b + 1 == kBins ? upper : lower + static_cast<double>(b + 1) * width;
            while (stop < stops.size() && stops[stop] < bin.low) ++stop;
            const bool stop_inside = stop < stops.size() && stops[stop] <= bin.high;
            const Rgba low = exact(bin.low, segment), high = exact(bin.high, segment);
            bin.uniform = !stop_inside && low == high;
            bin.colour = low;
        }
    }
    Rgba operator()(double v, std::size_t& segment) const {
        if (!bins_.empty()) {
            const double at = (v - lower_) * scale_;
            if (at >= 0 && at < kBins) {
                const Bin& bin = bins_[static_cast<std::size_t>(at)];
                if (bin.uniform && v >= bin.low && v <= bin.high) return bin.colour;
            }
        }
        return exact_(v, segment);
    }

private:
    // An arbitrary count: fine enough that most bins of a smooth palette
    // hold one colour, small enough to build in no time.
    static constexpr std::size_t kBins = 1 << 16;
    struct Bin {
        double low = 0, high = 0;
        Rgba colour;
        bool uniform = false;
    };
    const ValueColours& exact_;
    double lower_, scale_;
    std::vector<Bin> bins_;
};

Bgr bgr(const Rgba& c) {
    return {static_cast<std::uint8_t>(c.blue), static_cast<std::uint8_t>(c.green), static_cast<std::uint8_t>(c.red)};
}

}  // namespace

std::int32_t write_value_colour_image(const std::string& working_path, const std::string& image_path,
                                      DescriptorView d, const PaletteFile& palette) {
    if (is_byte_image(d.format()) || d.columns() <= 0 || d.rows() <= 0 || palette.stops.empty())
        return GRIDLIB_REFUSED;
    const auto layout = image::ImageLayout::plan(image_format_of(image_path), d.columns(), d.rows(),
                                                 image::Pixels::true_colour, 0);
    if (!layout) return GRIDLIB_IMAGE_TOO_LARGE;
    const TrueColourPixels pixels = layout->true_colour();
    const ValueColours exact(palette, d.data_min(), d.data_max());
    const BinnedColours colour_of(exact, exact.stop_values(), d.data_min(), d.data_max());
    const auto& null_colour = exact.null_colour();
    return image::write_image(
        working_path, image_path, d.columns(), d.rows(), image::ImageScale{}, *layout, std::nullopt, [&] {
            return image::LinePainter([&](std::int64_t, std::span<const float> values, std::span<std::byte> line) {
                std::size_t segment = 0;
                for (std::size_t c = 0; c < values.size(); ++c) {
                    if (is_valid(values[c])) {  // NaN is not
                        const Rgba colour = colour_of(values[c], segment);
                        pixels.put(line, c, bgr(colour), static_cast<std::uint8_t>(colour.alpha));
                    } else if (null_colour) {
                        pixels.put(line, c, bgr(*null_colour), static_cast<std::uint8_t>(null_colour->alpha));
                    } else {
                        pixels.put_empty(line, c);
                    }
                }
                return true;
            });
        });
}

}  // namespace gridlib
