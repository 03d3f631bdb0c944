// The palette file writer. Every cell gets the colour gdaldem color-relief
// would give it: through a table of bins where a bin's whole interval has
// one colour, and interpolated on its own where it has not.
#include "image/value_colour_writer.h"

#include "image/block_memory.h"
#include "image/image_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace gridlib {
namespace {

// The order of a pixel's bytes: a PNG's or TIFF's with alpha, a PNG's
// without, a BMP's.
enum class Order { rgba, rgb, bgr };

// A colour as the bytes of a pixel in that order, and a byte more where
// there is no alpha (which the next pixel overwrites).
using Packed = std::uint32_t;

Packed packed(const Rgba& c, Order order) {
    auto byte = [](std::int32_t v) { return static_cast<std::uint8_t>(v); };
    const bool bgr = order == Order::bgr;
    const std::uint8_t bytes[4] = {byte(bgr ? c.blue : c.red), byte(c.green), byte(bgr ? c.red : c.blue),
                                   byte(c.alpha)};
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
// of the bin number. The ends are kept as floats, the cells' own type.
class BinnedColours {
public:
    BinnedColours(const ValueColours& exact, std::span<const double> stops, double lower, double upper,
                  const Rgba& null, Order order)
        : exact_(exact), order_(order), null_(packed(null, order)), bins_(kBins + 1) {
        // A range of one value, or one too wide for a double, has no bins:
        // every value goes to the last entry, of no colour.
        const double scale = kBins / (upper - lower);
        if (!(upper > lower) || !std::isfinite(scale)) return;
        lower_ = lower;
        scale_ = scale;
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
                bin.colour = packed(low_colour, order);
            }
        }
    }

    // The colours of a run of at most kRun values: first every bin, in a
    // loop of selects that vectorises (a value outside the bins, NaN
    // included, goes to the last entry), then a look-up each.
    static constexpr std::size_t kRun = 1024;
    void colours(std::span<const float> values, Packed* out) const {
        std::uint32_t bins[kRun];
        const double lower = lower_, scale = scale_;
        constexpr double kOutside = kBins;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double at = (static_cast<double>(values[i]) - lower) * scale;
            bins[i] = static_cast<std::uint32_t>(at >= 0 && at < kOutside ? at : kOutside);
        }
        std::size_t segment = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const float v = values[i];
            const Bin& bin = bins_[bins[i]];
            if (v >= bin.low && v <= bin.high) {
                out[i] = bin.colour;
            } else {
                out[i] = is_valid(v) ? packed(exact_(v, segment), order_) : null_;  // NaN is not
            }
        }
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
    const Order order_;
    const Packed null_;
    double lower_ = 0, scale_ = 0;
    std::vector<Bin> bins_;  // and one entry more, for values outside them
};

// Paints rows of cells, each thread with one of its own, which keeps the
// kept cells of a row and their colours a run at a time.
class RowPainter {
public:
    RowPainter(const BinnedColours& colours, const image::ImageScale& scale, Order order)
        : colours_(colours), step_(static_cast<std::size_t>(scale.step)),
          replication_(static_cast<std::size_t>(scale.replication)), bytes_(order == Order::rgba ? 4 : 3) {}

    void operator()(std::span<const float> row, std::span<std::byte> line) {
        if (bytes_ == 4) {
            paint<4>(row, line);
        } else {
            paint<3>(row, line);
        }
    }

private:
    // Each pixel's four bytes are written whole: where a pixel has three,
    // the fourth is overwritten by the next pixel, and the line's last pixel
    // is written again, alone, at the end.
    template <std::size_t bytes>
    void paint(std::span<const float> row, std::span<std::byte> line) {
        std::byte* out = line.data();
        const std::size_t run = BinnedColours::kRun;
        for (std::size_t first = 0; first < row.size(); first += run * step_) {
            std::span<const float> values = row.subspan(first, std::min(run * step_, row.size() - first));
            if (step_ > 1) {
                std::size_t n = 0;
                for (std::size_t c = 0; c < values.size(); c += step_) kept_[n++] = values[c];
                values = std::span<const float>(kept_.data(), n);
            }
            colours_.colours(values, packed_.data());
            const std::size_t n = values.size();
            if (replication_ == 1) {
                for (std::size_t i = 0; i + 1 < n; ++i, out += bytes) std::memcpy(out, &packed_[i], 4);
            } else {
                for (std::size_t i = 0; i + 1 < n; ++i)
                    for (std::size_t r = 0; r < replication_; ++r, out += bytes) std::memcpy(out, &packed_[i], 4);
            }
            // The run's last pixel, which may be the line's, in its own bytes only.
            for (std::size_t r = 0; r < replication_; ++r, out += bytes) std::memcpy(out, &packed_[n - 1], bytes);
        }
    }

    const BinnedColours& colours_;
    const std::size_t step_, replication_, bytes_;
    std::array<float, BinnedColours::kRun> kept_;
    std::array<Packed, BinnedColours::kRun> packed_;
};

// A colour no valid value is given, whose pixels a PNG without alpha makes
// transparent: white where it can be, as an image with alpha draws null
// cells; nothing when every candidate may be given, or a colour has alpha.
std::optional<Rgb8> transparent_key(const ValueColours& colours) {
    if (!colours.opaque()) return std::nullopt;
    const auto& null = colours.null_colour();
    for (const std::int32_t red : {255, 0, 85, 170})
        for (const std::int32_t green : {255, 0, 85, 170})
            for (const std::int32_t blue : {255, 0, 85, 170})
                if (!colours.may_give(red, green, blue) &&
                    !(null && null->red == red && null->green == green && null->blue == blue))
                    return Rgb8{red, green, blue};
    return std::nullopt;
}

}  // namespace

std::int32_t write_value_colour_image(const std::string& working_path, const std::string& image_path,
                                      DescriptorView d, const PaletteFile& palette) {
    if (is_byte_image(d.format()) || d.columns() <= 0 || d.rows() <= 0 || palette.stops.empty())
        return GRIDLIB_REFUSED;
    const image::ImageScale scale = image::image_scale(d.image_width(), d.columns());
    const std::int64_t width = scale.side(d.columns()), height = scale.side(d.rows());
    const ValueColours exact(palette, d.data_min(), d.data_max());
    const ImageFormat format = image_format_of(image_path);
    // A PNG without alpha holds a quarter less to compress.
    const std::optional<Rgb8> key = format == ImageFormat::png ? transparent_key(exact) : std::nullopt;
    const auto layout = format == ImageFormat::png
                            ? image::ImageLayout::plan_value_png(width, height, key)
                            : image::ImageLayout::plan(format, width, height, image::Pixels::true_colour, 0);
    if (!layout) return image::beyond_format();
    // Without a null colour, white, transparent where there is alpha; or the key.
    const Rgba null_colour =
        exact.null_colour().value_or(key ? Rgba{key->red, key->green, key->blue, 255} : Rgba{255, 255, 255, 0});
    const Order order = format == ImageFormat::bmp ? Order::bgr : key ? Order::rgb : Order::rgba;
    const BinnedColours colours(exact, exact.stop_values(), d.data_min(), d.data_max(), null_colour, order);
    return image::write_image(working_path, image_path, d.columns(), d.rows(), scale, *layout, std::nullopt, [&] {
        auto painter = std::make_shared<RowPainter>(colours, scale, order);
        return image::LinePainter([painter](std::int64_t, std::span<const float> values, std::span<std::byte> line) {
            (*painter)(values, line);
            return true;
        });
    });
}

}  // namespace gridlib
