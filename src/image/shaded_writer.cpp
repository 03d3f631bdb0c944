// The shaded relief writer. Per image, the colour step of every bin and the
// brightness of every pair of slope steps are worked out once; in 24-bit
// mode each of the 4096 x 64 colours is computed the first time a cell
// needs it, so a cell costs look-ups only.
#include "image/shaded_writer.h"

#include "colour/binning.h"
#include "colour/colour_ramp.h"
#include "image/gradient_file.h"
#include "image/block_memory.h"
#include "image/image_file.h"
#include "image/true_colour.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace gridlib {
namespace {

constexpr auto kLastStep = static_cast<std::int32_t>(kLevels) - 1;
// The 8-bit palette: 15 value steps at each of 15 brightness steps, after
// the null index 0.
constexpr std::int32_t kPaletteSteps = 15;
constexpr std::int32_t kPaletteIndices = kPaletteSteps * kPaletteSteps + 1;
constexpr std::uint8_t kNullIndex = 0;
// The tinted rainbow of the colour calculator.
constexpr std::int32_t kTintedRainbow = 5;

// The colour step 0..4095 of the bin k counted from 0: the lowest bin stays
// at 0, the others take entry k (from 1) of the level table when asked to,
// clamped so that a damaged table cannot reach past the colours.
std::int32_t bin_step(std::int32_t k, const ShadedColours& c) {
    const std::int32_t step = c.through_levels && k > 0
                                  ? std::clamp(c.level_table[static_cast<std::size_t>(k - 1)], 1, kLastStep + 1) - 1
                                  : k;
    return c.inverted ? kLastStep - step : step;
}

// What a painter needs of a valid value's colour step, looked up by bin. At
// or above the upper limit a value takes the last step, not the table's.
template <typename T>
class StepTable {
public:
    template <typename OfStep>
    StepTable(const Bins& bins, const ShadedColours& c, OfStep of_step) : bins_(bins) {
        for (std::int32_t k = 0; k <= kLastStep; ++k) table_[static_cast<std::size_t>(k)] = of_step(bin_step(k, c));
        at_upper_ = of_step(c.inverted ? 0 : kLastStep);
    }
    T operator()(float v) const {
        if (v >= bins_.upper()) return at_upper_;
        if (v <= bins_.lower()) return table_[0];
        return table_[static_cast<std::size_t>(bins_.bin_above_lower(v) - 1)];
    }

private:
    Bins bins_;
    std::array<T, kLevels> table_;
    T at_upper_;
};

// The colour of a step at a brightness: darkened towards black below the
// middle brightness and lightened towards white above it, by as much as the
// tinted rainbow's tint (-0.9..0.9).
Bgr tinted_step(std::span<const std::int32_t> step_colours, std::int32_t step, std::int32_t brightness) {
    const float tint = (static_cast<float>(brightness) - 31.5f) / 35.0f;
    auto channel = [&](std::size_t column) {
        const auto c = static_cast<float>(std::clamp(step_colours[column * kLevels + static_cast<std::size_t>(step)], 0, 255));
        return static_cast<std::uint8_t>(tint < 0.0f ? c * (1.0f + tint) : c + (255.0f - c) * tint);
    };
    return {channel(2), channel(1), channel(0)};
}

// The colour of each step at each brightness (the tinted rainbow, or the
// caller's step colours tinted), each computed when first asked for:
// darkest at tint -0.9, brightest at +0.9. Threads that paint at once share
// it: one that finds an entry missing computes it and stores it, and two
// that race store the same colour.
class ShadedColourCache {
public:
    explicit ShadedColourCache(std::span<const std::int32_t> step_colours)
        : step_colours_(step_colours),
          colours_(std::make_unique<std::atomic<std::uint32_t>[]>(kLevels * kBrightnessSteps)) {}
    Bgr operator()(std::int32_t step, std::int32_t brightness) const {
        // Neighbouring cells differ more in value than in slope: steps side
        // by side keep their look-ups close together.
        std::atomic<std::uint32_t>& slot =
            colours_[static_cast<std::size_t>(brightness) * kLevels + static_cast<std::size_t>(step)];
        std::uint32_t entry = slot.load(std::memory_order_relaxed);
        if (entry == 0) {
            const Bgr b = step_colours_.empty()
                              ? truncated_bytes(scheme_colour(static_cast<float>(step) / static_cast<float>(kLastStep),
                                                              (static_cast<float>(brightness) - 31.5f) / 35.0f, 1.0f,
                                                              kTintedRainbow, {}))
                              : tinted_step(step_colours_, step, brightness);
            entry = kKnown | std::uint32_t{b.blue} | std::uint32_t{b.green} << 8 | std::uint32_t{b.red} << 16;
            slot.store(entry, std::memory_order_relaxed);
        }
        return {static_cast<std::uint8_t>(entry), static_cast<std::uint8_t>(entry >> 8),
                static_cast<std::uint8_t>(entry >> 16)};
    }

private:
    static constexpr std::uint32_t kKnown = 1u << 24;
    std::span<const std::int32_t> step_colours_;
    std::unique_ptr<std::atomic<std::uint32_t>[]> colours_;
};

// One row of cells with their slope codes.
struct ShadedRow {
    std::span<const float> values;
    const std::int16_t* first;
    const std::int16_t* second;
};

// Puts the pixel of each kept cell of a row, as often as the scale replicates it.
template <typename PixelOf, typename Put>
void paint_row(const ShadedRow& row, const image::ImageScale& scale, PixelOf pixel_of, Put put) {
    const auto step = static_cast<std::size_t>(scale.step), replication = static_cast<std::size_t>(scale.replication);
    std::size_t p = 0;
    for (std::size_t c = 0; c < row.values.size(); c += step) {
        const auto pixel = pixel_of(c);
        for (std::size_t r = 0; r < replication; ++r) put(p++, pixel);
    }
}

// 8-bit: palette index (brightness x 15 / 64) x 15 + step x 15 / 4096 + 1,
// 15 brightness rows of 15 value steps; the two parts are looked up apiece.
class PalettePainter {
public:
    PalettePainter(const Bins& bins, const ShadedColours& c, const ReliefShading& shading)
        : shading_(shading), column_of_(bins, c, [](std::int32_t step) {
              return static_cast<std::uint8_t>(step * kPaletteSteps / std::int32_t{kLevels});
          }) {
        for (std::size_t pair = 0; pair < row_of_.size(); ++pair)
            row_of_[pair] = static_cast<std::uint8_t>(
                shading.brightness(pair) * kPaletteSteps / kBrightnessSteps * kPaletteSteps + 1);
    }
    void operator()(const ShadedRow& row, const image::ImageScale& scale, std::span<std::byte> line) const {
        paint_row(
            row, scale,
            [&](std::size_t c) {
                const float v = row.values[c];
                return is_valid(v) && has_shading(row.first[c])
                           ? static_cast<std::uint8_t>(row_of_[shading_.pair(row.first[c], row.second[c])] +
                                                       column_of_(v))
                           : kNullIndex;
            },
            [&](std::size_t p, std::uint8_t index) { line[p] = std::byte{index}; });
    }

private:
    const ReliefShading& shading_;
    StepTable<std::uint8_t> column_of_;
    std::array<std::uint8_t, kSlopeSteps * kSlopeSteps> row_of_;
};

// 24-bit: the tinted rainbow at fraction step / 4095 and tint
// (brightness - 31.5) / 35, or the step colours tinted alike; null cells and
// cells without shading data are white (and transparent where the image has alpha), and no others.
class TrueColourPainter {
public:
    TrueColourPainter(const Bins& bins, const ShadedColours& c, const ReliefShading& shading,
                      TrueColourPixels pixels)
        : shading_(shading), pixels_(pixels),
          step_of_(bins, c, [](std::int32_t step) { return static_cast<std::uint16_t>(step); }),
          colours_(c.step_colours) {}
    void operator()(const ShadedRow& row, const image::ImageScale& scale, std::span<std::byte> line) const {
        // Null cells and cells without shading data have no colour.
        paint_row(
            row, scale,
            [&](std::size_t c) -> std::optional<Bgr> {
                const float v = row.values[c];
                if (!is_valid(v) || !has_shading(row.first[c])) return std::nullopt;
                return colours_(step_of_(v), shading_.brightness(shading_.pair(row.first[c], row.second[c])));
            },
            [&](std::size_t p, const std::optional<Bgr>& colour) {
                if (colour) {
                    pixels_.put(line, p, *colour);
                } else {
                    pixels_.put_empty(line, p);
                }
            });
    }

private:
    const ReliefShading& shading_;
    TrueColourPixels pixels_;
    StepTable<std::uint16_t> step_of_;
    ShadedColourCache colours_;
};

bool arguments_usable(DescriptorView d, const ShadedColours& c) {
    if (d.columns() <= 0 || d.rows() <= 0) return false;
    if (c.through_levels && c.level_table.size() < kLevels) return false;
    if (c.bits_per_pixel == 8)
        return c.colour_table && c.colour_count >= 1 && c.colour_count <= static_cast<std::int32_t>(kColourEntries);
    return c.bits_per_pixel == 24 && (c.step_colours.empty() || c.step_colours.size() >= 3 * kLevels);
}

// Paints each line from its grid row and the gradient record of that row;
// each thread reads the records into a buffer of its own.
template <typename Painter>
std::int32_t draw(const std::string& working_path, const std::string& image_path, const GradientFile& gradient,
                  std::int32_t columns, std::int32_t rows, const image::ImageScale& scale,
                  const image::ImageLayout& layout,
                  const std::optional<ConstColourTableView>& palette, const Painter& painter) {
    const auto record_size = 2 * static_cast<std::size_t>(columns);
    return image::write_image(working_path, image_path, columns, rows, scale, layout, palette, [&] {
        return image::LinePainter([&, record = std::vector<std::int16_t>(record_size)](
                                      std::int64_t from_north, std::span<const float> values,
                                      std::span<std::byte> line) mutable {
            if (!gradient.read_row(from_north, record)) return false;
            painter(ShadedRow{values, record.data(), record.data() + columns}, scale, line);
            return true;
        });
    });
}

}  // namespace

std::int32_t write_shaded_image(const std::string& working_path, const std::string& gradient_path,
                                const std::string& image_path, DescriptorView d, const ShadedColours& colours,
                                const Lighting& light, std::span<const float, kSlopeSteps> slope_table) {
    if (is_byte_image(d.format()) || !(d.colour_min() < d.colour_max()) || !arguments_usable(d, colours))
        return GRIDLIB_REFUSED;
    const std::int32_t columns = d.columns(), rows = d.rows();
    const image::ImageScale scale = image::image_scale(d.image_width(), columns);
    const bool palette = colours.bits_per_pixel == 8;
    const ImageFormat format = image_format_of(image_path);
    // A PNG decoder may reject an index beyond the palette, which a BMP
    // reader shows as it will: the PNG's (and TIFF's) palette covers every
    // index drawn.
    const std::int32_t entries =
        format != ImageFormat::bmp ? std::max(colours.colour_count, kPaletteIndices) : colours.colour_count;
    const auto layout = image::ImageLayout::plan(format, scale.side(columns), scale.side(rows),
                                                 palette ? image::Pixels::palette_indices : image::Pixels::true_colour,
                                                 palette ? static_cast<std::uint32_t>(entries) : 0);
    if (!layout) return image::beyond_format();

    auto gradient = GradientFile::open(gradient_path, columns, rows);
    if (!gradient) return GRIDLIB_IMAGE_GRID_UNREADABLE;
    const Bins bins(d.colour_min(), d.colour_max());
    try {
        const ReliefShading shading(light, slope_table, colours.inverted);
        if (palette) {
            const PalettePainter painter(bins, colours, shading);
            return draw(working_path, image_path, *gradient, columns, rows, scale, *layout, colours.colour_table,
                        painter);
        }
        const TrueColourPainter painter(bins, colours, shading, layout->true_colour());
        return draw(working_path, image_path, *gradient, columns, rows, scale, *layout, std::nullopt, painter);
    } catch (const std::bad_alloc&) {
        return GRIDLIB_IMAGE_WRITE_FAILED;
    }
}

}  // namespace gridlib
