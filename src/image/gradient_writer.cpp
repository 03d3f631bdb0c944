// The gradient writer. A window of three rows (north of the current one, the
// current one, south of it) slides down the grid; each step reads one row.
#include "image/gradient_writer.h"

#include "grid/working_grid.h"
#include "image/gradient_file.h"
#include "image/slope_codes.h"
#include "platform/file.h"
#include "progress/progress.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

namespace gridlib {
namespace {

// The differences of a row are scaled by these: the exaggeration over twice
// the spacing for the central difference, over the spacing for a one-sided one.
struct Scales {
    double central, one_sided;
};

// The fall (a rise, negative) across a cell of value v towards the side of
// `after`: the central difference of its neighbours when both hold data,
// else the one-sided one with the cell itself; nothing when neither does.
std::optional<double> fall(float before, float v, float after, const Scales& s) {
    const bool has_before = is_valid(before), has_after = is_valid(after);
    if (has_before && has_after) return (double(before) - double(after)) * s.central;
    if (has_after) return (double(v) - double(after)) * s.one_sided;
    if (has_before) return (double(before) - double(v)) * s.one_sided;
    return std::nullopt;
}

// The three rows around the current one; a row beyond the grid's edge is all null.
struct RowWindow {
    std::span<const float> north, current, south;
};

// Codes a cell from its falls towards the east and the north; differences
// of infinite values are no slope.
void put_codes(double fall_east, double fall_north, const SlopeCoder& coder, std::int16_t& first,
               std::int16_t& second) {
    const bool finite = std::isfinite(fall_east) && std::isfinite(fall_north);
    first = finite ? coder.code(fall_east) : kNoShadingCode;
    second = finite ? coder.code(fall_north) : kNoShadingCode;
}

// The codes of one row: the first codes, then the second codes. A surface
// falling towards the east leans its normal east: the first code.
void code_row(const RowWindow& w, const Scales& x, const Scales& y, const SlopeCoder& coder,
              std::span<std::int16_t> record) {
    const std::size_t n = w.current.size();
    std::int16_t* const first = record.data();
    std::int16_t* const second = record.data() + n;
    for (std::size_t c = 0; c < n; ++c) {
        const float v = w.current[c];
        const float west = c > 0 ? w.current[c - 1] : kNullValue;
        const float east = c + 1 < n ? w.current[c + 1] : kNullValue;
        const float north = w.north[c], south = w.south[c];
        // Most cells have data all round: central differences both ways.
        if (is_valid(v) && is_valid(west) && is_valid(east) && is_valid(north) && is_valid(south)) {
            put_codes((double(west) - double(east)) * x.central, (double(south) - double(north)) * y.central, coder,
                      first[c], second[c]);
            continue;
        }
        const auto fall_east = fall(west, v, east, x);
        const auto fall_north = fall(south, v, north, y);
        if (is_valid(v) && fall_east && fall_north) {
            put_codes(*fall_east, *fall_north, coder, first[c], second[c]);
        } else {
            first[c] = second[c] = kNoShadingCode;
        }
    }
}

bool usable(DescriptorView d, const std::string& working_path, const std::string& gradient_path,
            float exaggeration) {
    auto positive = [](float spacing) { return spacing > 0.0f && std::isfinite(spacing); };
    return !is_byte_image(d.format()) && d.columns() > 0 && d.rows() > 0 && positive(d.column_spacing()) &&
           positive(d.row_spacing()) && std::isfinite(exaggeration) && working_path != gradient_path &&
           !platform::same_file(working_path, gradient_path);
}

}  // namespace

std::int32_t write_gradient_file(const std::string& working_path, const std::string& gradient_path,
                                 DescriptorView d, float exaggeration, std::span<float, kSlopeSteps> slope_table) {
    if (!usable(d, working_path, gradient_path, exaggeration)) return GRIDLIB_REFUSED;
    const std::int32_t columns = d.columns();
    const std::int64_t rows = d.rows();
    auto grid = working_grid::Reader::open(working_path, columns);
    // Checked before the rows are allocated and the gradient file is made.
    if (!grid || !grid->holds_rows(rows)) return GRIDLIB_GRADIENT_GRID_UNREADABLE;

    const SlopeCoder coder;
    const double dx = d.column_spacing(), dy = d.row_spacing();
    const Scales x{exaggeration / (2 * dx), exaggeration / dx}, y{exaggeration / (2 * dy), exaggeration / dy};
    std::copy(coder.sines().begin(), coder.sines().end(), slope_table.begin());
    try {
        const auto width = static_cast<std::size_t>(columns);
        // Three rows for the window to turn over, and a row of null cells
        // beyond the northern and southern edges.
        std::vector<float> cells(4 * width, kNullValue);
        std::vector<std::int16_t> record(2 * width);
        const std::span<const float> beyond(cells.data() + 3 * width, width);
        std::span<float> slots[3] = {{cells.data(), width}, {cells.data() + width, width},
                                     {cells.data() + 2 * width, width}};
        // Rows are counted from the northern one; the file stores them either way round.
        auto read = [&](std::int64_t from_north, std::span<float> into) {
            return grid->read_row(grid->north_first() ? from_north + 1 : rows - from_north, into);
        };
        if (!read(0, slots[1])) return GRIDLIB_GRADIENT_GRID_UNREADABLE;
        auto gradient = GradientFileWriter::create(gradient_path, columns);
        if (!gradient) return GRIDLIB_GRADIENT_WRITE_FAILED;
        progress::Reporter progress(progress::Phase::slopes, rows);
        for (std::int64_t r = 0; r < rows; ++r) {
            const bool last = r + 1 == rows;
            if (!last && !read(r + 1, slots[2])) return GRIDLIB_GRADIENT_GRID_UNREADABLE;
            const RowWindow window{r > 0 ? slots[0] : beyond, slots[1], last ? beyond : slots[2]};
            code_row(window, x, y, coder, record);
            if (!gradient->write_row(record)) return GRIDLIB_GRADIENT_WRITE_FAILED;
            // The current row becomes the northern one, the southern one the current.
            std::rotate(std::begin(slots), std::begin(slots) + 1, std::end(slots));
            progress.advance(r + 1);
        }
        return gradient->close() ? GRIDLIB_OK : GRIDLIB_GRADIENT_WRITE_FAILED;
    } catch (const std::bad_alloc&) {
        return GRIDLIB_GRADIENT_WRITE_FAILED;
    }
}

}  // namespace gridlib
