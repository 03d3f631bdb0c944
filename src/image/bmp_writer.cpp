// The palette image writer. One working-grid row is read and one image line
// built at a time; the value-to-index mapping is precomputed per bin, which
// keeps the per-cell work (the hot path of a conversion) to a bin look-up.
#include "image/bmp_writer.h"

#include "colour/binning.h"
#include "grid/working_grid.h"
#include "image/bmp_format.h"
#include "image/level_mapping.h"
#include "image/pending_file.h"
#include "text/fields.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace gridlib {
namespace {

constexpr std::uint8_t kNullIndex = 0;

// Palette index of every bin, and of null cells.
class IndexMap {
public:
    IndexMap(const Bins& bins, Mapping mapping, std::span<const std::int32_t> level_table, std::int32_t colour_count)
        : bins_(bins) {
        const BinLevels levels = bin_levels(mapping, level_table);
        for (std::size_t k = 0; k < kLevels; ++k) index_[k] = palette_index(levels[k], colour_count);
    }
    std::uint8_t operator()(float v) const {
        if (!is_valid(v)) return kNullIndex;  // NaN included
        return index_[static_cast<std::size_t>(bins_.bin(v) - 1)];
    }

private:
    Bins bins_;
    std::array<std::uint8_t, kLevels> index_;
};

// Builds the image line of one working-grid row, padding already zero.
void build_line(std::span<const float> row, const IndexMap& index_of, const ImageScale& scale,
                std::span<std::uint8_t> line) {
    if (scale.replication == 1 && scale.step == 1) {
        std::transform(row.begin(), row.end(), line.begin(), index_of);
        return;
    }
    const auto step = static_cast<std::size_t>(scale.step);
    const auto rep = static_cast<std::size_t>(scale.replication);
    std::size_t p = 0;
    for (std::size_t c = 0; c < row.size(); c += step, p += rep) std::memset(&line[p], index_of(row[c]), rep);
}

}  // namespace

ImageScale image_scale(std::int32_t requested_width, std::int32_t columns) {
    ImageScale s;
    if (requested_width <= 0 || columns <= 0) return s;
    if (requested_width > columns) {
        s.replication = std::max<std::int64_t>(1, static_cast<std::int64_t>(double(requested_width) / columns + 0.5));
    } else {
        s.step = std::max<std::int64_t>(1, static_cast<std::int64_t>(double(columns) / requested_width + 0.5));
    }
    return s;
}

std::int32_t GRD2BMP(std::string_view working_name_text, std::string_view image_name_text, DescriptorView d,
                     std::int32_t mapping_mode, std::span<const std::int32_t> level_table,
                     std::int32_t colour_count, ConstColourTableView colour_table) {
    using namespace image_status;
    if (is_byte_image(d.format())) return refused;
    const std::int64_t columns = d.columns(), rows = d.rows();
    const ImageScale scale = image_scale(d.image_width(), d.columns());
    // Used up: a later call without a new request draws at full size.
    d.image_width() = 0;

    if (!(d.colour_min() < d.colour_max())) return refused;
    const Mapping mapping = Mapping::from_mode(mapping_mode);
    if (columns <= 0 || rows <= 0 || colour_count < 1 || colour_count > static_cast<std::int32_t>(kColourEntries) ||
        (mapping.through_levels && level_table.size() < kLevels))
        return refused;

    // A decimated side keeps its first and every step-th cell after it.
    const std::int64_t width = scale.step > 1 ? (columns - 1) / scale.step + 1 : columns * scale.replication;
    const std::int64_t height = scale.step > 1 ? (rows - 1) / scale.step + 1 : rows * scale.replication;
    const auto layout = bmp::plan(width, height, 8, static_cast<std::uint32_t>(colour_count));
    if (!layout) return too_large;

    auto grid = working_grid::Reader::open(text::name_from_fixed_text(working_name_text), d.columns());
    if (!grid) return grid_unreadable;

    std::unique_ptr<float[]> row;
    std::vector<std::uint8_t> line;
    try {
        // The row is not initialised: a short file must not cost the touch of a huge buffer.
        row = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(columns));
        line.assign(layout->line_bytes, 0);
    } catch (const std::bad_alloc&) {
        return write_failed;
    }
    const std::span<float> row_values(row.get(), static_cast<std::size_t>(columns));
    const IndexMap index_of(Bins(d.colour_min(), d.colour_max()), mapping, level_table, colour_count);

    PendingFile out(text::name_from_fixed_text(image_name_text));
    if (!out.is_open()) return write_failed;
    bmp::FileSink sink(out.file());
    if (!bmp::write_header(sink, *layout) ||
        !bmp::write_palette(sink, colour_table, static_cast<std::uint32_t>(colour_count)))
        return write_failed;

    // The bottom image line is the southern row, and sampling starts there.
    const bool north_first = grid->north_first();
    const std::span<const std::byte> line_bytes = std::as_bytes(std::span(line));
    for (std::int64_t i = 0; i < rows; i += scale.step) {
        const std::int64_t stored_row = north_first ? rows - i : i + 1;
        if (!grid->read_row(stored_row, row_values)) return grid_unreadable;
        build_line(row_values, index_of, scale, line);
        for (std::int64_t r = 0; r < scale.replication; ++r)
            if (!sink.write(line_bytes)) return write_failed;
    }
    return out.commit() ? ok : write_failed;
}

}  // namespace gridlib
