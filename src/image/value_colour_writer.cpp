// The palette file writer. Every cell is interpolated on its own rather
// than through bins, so that the image agrees with gdaldem color-relief to
// the unit.
#include "image/value_colour_writer.h"

#include "colour/binning.h"
#include "image/image_file.h"
#include "image/true_colour.h"

namespace gridlib {
namespace {

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
    const ValueColours colour_of(palette, d.data_min(), d.data_max());
    const auto& null_colour = colour_of.null_colour();
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
