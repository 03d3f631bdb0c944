// The user colour writer. The colour of every bin is worked out once per
// image, so a cell costs a bin look-up.
#include "image/user_colour_writer.h"

#include "colour/binning.h"
#include "colour/colour_ramp.h"
#include "image/block_memory.h"
#include "image/image_file.h"
#include "image/level_mapping.h"
#include "image/true_colour.h"

#include <array>
#include <cmath>

namespace gridlib {
namespace {

// The rainbow scheme, which interpolates the user colours when there are any.
constexpr std::int32_t kRainbow = 2;

// The low byte of a table value truncated to a whole number; a value no
// whole number of 32 bits holds (NaN among them) gives 0.
std::uint8_t low_byte(float v) {
    if (!(std::fabs(v) < 2147483648.0f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) & 0xFFu);
}

Bgr level_colour(std::int32_t level, const UserColours& user) {
    if (user.count > 0) {
        const float fraction = static_cast<float>(level - 1) / static_cast<float>(kLevels - 1);
        return truncated_bytes(scheme_colour(fraction, 0.0f, 1.0f, kRainbow, user));
    }
    const Rgb c = user.entry(static_cast<std::size_t>(level - 1));
    return {low_byte(c.blue), low_byte(c.green), low_byte(c.red)};
}

// The colour of every bin.
class ColourMap {
public:
    ColourMap(const Bins& bins, Mapping mapping, std::span<const std::int32_t> level_table, const UserColours& user)
        : bins_(bins) {
        const BinLevels levels = bin_levels(mapping, level_table);
        for (std::size_t k = 0; k < kLevels; ++k) colour_[k] = level_colour(levels[k], user);
    }
    // For a valid value.
    Bgr operator()(float v) const { return colour_[static_cast<std::size_t>(bins_.bin(v) - 1)]; }

private:
    Bins bins_;
    std::array<Bgr, kLevels> colour_;
};

}  // namespace

std::int32_t write_user_colour_image(const std::string& working_path, const std::string& image_path,
                                     DescriptorView d, std::int32_t mapping_mode,
                                     std::span<const std::int32_t> level_table, const UserColours& user) {
    const Mapping mapping = Mapping::from_mode(mapping_mode);
    if (is_byte_image(d.format()) || !(d.colour_min() < d.colour_max()) || d.columns() <= 0 || d.rows() <= 0 ||
        (mapping.through_levels && level_table.size() < kLevels) || user.values.size() < kUserColourValues)
        return GRIDLIB_REFUSED;
    const auto layout = image::ImageLayout::plan(image_format_of(image_path), d.columns(), d.rows(),
                                                 image::Pixels::true_colour, 0);
    if (!layout) return image::beyond_format();
    const TrueColourPixels pixels = layout->true_colour();

    const ColourMap colour_of(Bins(d.colour_min(), d.colour_max()), mapping, level_table, user);
    return image::write_image(
        working_path, image_path, d.columns(), d.rows(), image::ImageScale{}, *layout, std::nullopt, [&] {
            return image::LinePainter([&](std::int64_t, std::span<const float> values, std::span<std::byte> line) {
                for (std::size_t c = 0; c < values.size(); ++c) {
                    if (is_valid(values[c]))  // NaN is not
                        pixels.put(line, c, colour_of(values[c]));
                    else
                        pixels.put_empty(line, c);
                }
                return true;
            });
        });
}

}  // namespace gridlib
