// "$$GRID$$" character-coded text grids: three header lines whose fields
// stand in fixed columns, with a stated number of further lines between the
// second and the third; then the rows, each value coded in 1 to 3
// characters (see rows/grid_text_rows.h).
#include "formats/driver.h"
#include "formats/grid_text/grid_text_rows.h"
#include "rows/number_scanner.h"
#include "text/fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace gridlib::formats {
namespace {

// The words of the descriptor this format gives meanings of its own.
// The line layout, in the data-offset word: 3 for fixed-width lines, any
// other value for run-length lines.
constexpr std::int32_t kFixedWidth = 3;
std::int32_t& line_layout(DescriptorView& d) { return d.data_offset(); }
std::int32_t line_layout(const DescriptorView& d) { return d.data_offset(); }
// The characters per value, in the value-type word.
std::int32_t& value_width(DescriptorView& d) { return d.value_type(); }
std::int32_t value_width(const DescriptorView& d) { return d.value_type(); }
// The lines between the second and third header lines, in the storage
// order word (these rows are always stored from the north).
std::int32_t& extra_lines(DescriptorView& d) { return d.storage_order(); }
std::int32_t extra_lines(const DescriptorView& d) { return std::max(d.storage_order(), 0); }

// The null value the header states; the rows mark null cells by their own
// characters and never compare with it.
constexpr float kStatedNull = -1.0e31f;

// The fields lie in these columns (1-based, inclusive) of their line.
struct Field {
    std::size_t first, last;
};
constexpr Field kColumns{9, 12}, kRows{13, 16}, kLayout{29, 32};
constexpr Field kWidth{15, 18}, kExtraLines{19, 22};
constexpr Field kWest{41, 50}, kNorth{51, 60}, kEast{71, 80}, kSouth{81, 90};
constexpr Field kColumnSpacing{1, 10}, kRowSpacing{11, 20}, kRotation{31, 35}, kMinimum{41, 50}, kMaximum{51, 60};

class FixedLine {
public:
    // False when the line has length 0: empty, or the end of the file.
    bool read(platform::File& file) { return rows::read_line_start(file, text_).value_or(0) > 0; }
    std::string_view field(Field f) const { return {text_.data() + f.first - 1, f.last - f.first + 1}; }
    std::int32_t integer(Field f) const { return text::integer_value(field(f)); }
    float real(Field f) const { return text::float_value(field(f)); }
    double written_real(Field f) const { return text::real_value(field(f)); }

private:
    std::array<char, 90> text_{};  // the last field ends in column 90
};

// Divisors of the codes: the largest code n characters can give is 63,
// 4095 and 262143, but the format scales by these.
float scale_divisor_for(std::int32_t width) {
    switch (width) {
        case 1: return 63.0f;
        case 2: return 4000.0f;
        default: return 250000.0f;
    }
}

// When the x extent spans exactly one cell per column, it runs along the
// outer cell edges, and every edge moves half a cell in to the centres
// (true); otherwise the extent runs from centre to centre already.
bool place_at_cell_centres(DescriptorView& d) {
    const float cells = (d.east_x() - d.west_x()) / d.column_spacing();
    if (!(std::fabs(cells) < 2147483648.0f) || static_cast<std::int32_t>(cells) != d.columns()) return false;
    d.west_x() += d.column_spacing() / 2;
    d.east_x() -= d.column_spacing() / 2;
    d.south_y() += d.row_spacing() / 2;
    d.north_y() -= d.row_spacing() / 2;
    return true;
}

// The west and south edges and the spacings as written, which the
// descriptor holds as 32-bit reals.
struct WrittenPlacement {
    double west = 0, south = 0, column_width = 0, row_height = 0;
    bool at_outer_edges = false;
};

Status read_fields(platform::File& file, DescriptorView& d, WrittenPlacement& written) {
    FixedLine line;
    if (!line.read(file)) return GRIDLIB_GRID_TEXT_NO_LINE_1;
    d.columns() = line.integer(kColumns);
    d.rows() = line.integer(kRows);
    line_layout(d) = line.integer(kLayout);

    if (!line.read(file)) return GRIDLIB_GRID_TEXT_NO_LINE_2;
    value_width(d) = line.integer(kWidth);
    extra_lines(d) = line.integer(kExtraLines);
    d.west_x() = line.real(kWest);
    d.north_y() = line.real(kNorth);
    d.east_x() = line.real(kEast);
    d.south_y() = line.real(kSouth);
    written.west = line.written_real(kWest);
    written.south = line.written_real(kSouth);

    if (!rows::skip_lines(file, extra_lines(std::as_const(d)))) return GRIDLIB_GRID_TEXT_EXTRA_LINES_CUT;

    if (!line.read(file)) return GRIDLIB_GRID_TEXT_NO_LINE_3;
    d.column_spacing() = line.real(kColumnSpacing);
    d.row_spacing() = line.real(kRowSpacing);
    written.column_width = line.written_real(kColumnSpacing);
    written.row_height = line.written_real(kRowSpacing);
    d.rotation() = line.real(kRotation);
    d.data_min() = line.real(kMinimum);
    d.data_max() = line.real(kMaximum);

    written.at_outer_edges = place_at_cell_centres(d);
    d.null_value() = kStatedNull;
    if (!GridTextRows::width_supported(value_width(std::as_const(d)))) return GRIDLIB_GRID_TEXT_BAD_WIDTH;
    d.scale_divisor() = scale_divisor_for(value_width(std::as_const(d)));
    d.mean() = d.std_dev() = d.null_value();
    return GRIDLIB_OK;
}

Status read_header(platform::File& file, DescriptorView& d) {
    WrittenPlacement unused;
    return read_fields(file, d, unused);
}

std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView& d) {
    WrittenPlacement w;
    if (!read_again(grid_name, d, read_fields, w)) return std::nullopt;
    const CellPoint stated = w.at_outer_edges ? CellPoint::lower_left_corner : CellPoint::centre;
    return placement_from_point(stated, w.west, w.south, w.column_width, w.row_height, d.rows());
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    auto unit = platform::TextUnit::open(request.grid_name);
    if (!unit) return GRIDLIB_REFUSED;
    // The two header lines, the extra lines, the third header line.
    if (!rows::skip_lines(unit->file(), 3 + static_cast<std::int64_t>(extra_lines(d)))) {
        return GRIDLIB_HEADER_LINES_MISSING;
    }
    // No value can be decoded in another number of characters: the first
    // row fails.
    if (!GridTextRows::width_supported(value_width(d))) return rows::row_status(1);
    const CharacterCode code{value_width(d), d.data_min(), d.data_max(), d.scale_divisor()};
    const bool fixed_width = line_layout(d) == kFixedWidth;
    const auto fewest = [&](std::uint64_t n) { return GridTextRows::fewest_bytes(n, code.width, fixed_width); };
    if (const Status s = rows::check_text_room(unit->file(), d.columns(), d.rows(), fewest, plan); s != 0) return s;
    // The values carry their own null code and their own scaling.
    plan.rules = rows::ValueRules{};
    plan.north_first = true;
    plan.source = std::make_unique<GridTextRows>(std::move(*unit), code, fixed_width);
    return GRIDLIB_OK;
}

bool grid_text_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("$$GRID$$"); }

constexpr ContentTest kContentTests[] = {grid_text_signature};

constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_GRID_TEXT_NO_LINE_1, "the file ends before the header line of the size and the line layout"},
    {GRIDLIB_GRID_TEXT_NO_LINE_2, "the file ends before the header line of the coding and the extent"},
    {GRIDLIB_GRID_TEXT_EXTRA_LINES_CUT, "the file ends within the lines its header announces"},
    {GRIDLIB_GRID_TEXT_NO_LINE_3, "the file ends before the header line of the spacings and the data range"},
    {GRIDLIB_GRID_TEXT_BAD_WIDTH, "the characters per value are not 1, 2 or 3"},
};

}  // namespace

extern constinit const Driver grid_text_driver{
    .format = FormatCode::grid_text,
    .name = "$$GRID$$",
    // Stated outer edges are moved half a cell inward to the edge cells' centres.
    .cell_point = CellPoint::centre,
    .content_tests = kContentTests,
    .read_header = read_header,
    .read_placement = read_placement,
    .plan_rows = plan_rows,
    .header_statuses = kHeaderStatuses,
    .row_failure_causes = "it is missing, short or not validly coded",
};

}  // namespace gridlib::formats
