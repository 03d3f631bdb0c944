// The ESRI ASCII grid: "keyword value" lines, then the rows as written
// numbers, northern row first.
#include "formats/driver.h"
#include "formats/header_lines.h"
#include "rows/number_scanner.h"
#include "text/fields.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace gridlib::formats {
namespace {

// The grid keeps the count of its header lines in the data-offset word:
// its rows begin after that many lines.
std::int32_t& header_lines(DescriptorView& d) { return d.data_offset(); }
std::int32_t header_lines(const DescriptorView& d) { return d.data_offset(); }

// The format's documented default when a header has no NODATA_value line.
// A null value of 0 would make every cell within the null tolerance of zero
// disappear from a grid that has no null cells at all.
constexpr float kDefaultNullValue = -9999.0f;

// The value is what follows the line's first word and the blank after it.
std::string_view value_of(std::string_view line) {
    const auto blank = line.find(' ');
    return blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
}

// The numbers of the header as written, which the descriptor holds as
// 32-bit reals: at projected coordinates of 1e7 those are a metre apart.
struct WrittenPlacement {
    std::optional<double> x_corner, y_corner, x_centre, y_centre;
    std::optional<double> column_width, row_height;
};

// The first word of a prepared line.
std::string_view keyword_of(std::string_view line) { return line.substr(0, line.find(' ')); }

// Reads the header lines into d and their placement numbers into `written`,
// up to the first line of numbers.
Status read_header_lines(platform::File& file, DescriptorView& d, WrittenPlacement& written) {
    d.band_count() = 1;
    d.selected_band() = 1;
    header_lines(d) = 0;  // counts the lines read, then the lines in front of the data
    d.value_type() = GRIDLIB_ELEMENT_INT16;  // what a header that ends early leaves
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.set_byte_order(ByteOrder::most_significant_first);
    d.null_value() = kDefaultNullValue;

    HeaderLine line;
    // The row reader skips whole lines, so the pieces of a line longer than
    // the line buffer count as one; counted apiece, a header line padded with
    // blanks would make the rows start a line late.
    bool new_line = true;
    for (;;) {
        if (!line.read(file)) return GRIDLIB_ESRI_NO_DATA;
        if (new_line) {
            // Billions of blank lines cannot be counted; no grid follows them anyway.
            if (header_lines(d) == std::numeric_limits<std::int32_t>::max()) return GRIDLIB_ESRI_NO_DATA;
            ++header_lines(d);
        }
        const bool piece_began_line = new_line;
        new_line = !line.filled();
        const std::string_view value = value_of(line.text());
        const std::string_view keyword = keyword_of(line.text());
        // Found anywhere in the line, in this order: "XLLCENTER" and "XLLCORNER"
        // are told apart by their first six letters.
        if (line.contains("NCOLS")) {
            d.columns() = text::integer_value(value);
        } else if (line.contains("NROWS")) {
            d.rows() = text::integer_value(value);
        } else if (line.contains("CELLSIZE")) {
            written.column_width = written.row_height = text::real_value(value);
            d.column_spacing() = text::float_value(value);
            d.row_spacing() = d.column_spacing();
        } else if (line.contains("XLLCEN")) {
            written.x_centre = text::real_value(value);
        } else if (line.contains("YLLCEN")) {
            written.y_centre = text::real_value(value);
        } else if (line.contains("XLLCOR")) {
            written.x_corner = text::real_value(value);
            d.west_x() = text::float_value(value);
        } else if (line.contains("YLLCOR")) {
            written.y_corner = text::real_value(value);
            d.south_y() = text::float_value(value);
        } else if (line.contains("NODATA")) {
            d.null_value() = text::float_value(value);
        } else if (keyword == "DX") {
            // GDAL writes DX and DY instead of CELLSIZE for cells that are not square.
            written.column_width = text::real_value(value);
            d.column_spacing() = text::float_value(value);
        } else if (keyword == "DY") {
            written.row_height = text::real_value(value);
            d.row_spacing() = text::float_value(value);
        } else if (!line.blank()) {
            // The first line of numbers, which is no header line. Numbers in the
            // tail of a long header line are not taken for the data: the rows
            // begin on the next line.
            if (piece_began_line) --header_lines(d);
            break;
        }
    }
    return GRIDLIB_OK;
}

Status read_header(platform::File& file, DescriptorView& d) {
    WrittenPlacement written;
    if (const Status s = read_header_lines(file, d, written); s != GRIDLIB_OK) return s;
    // The origin may be given as the centre of the lower-left cell instead of
    // its corner, and before the cell size it needs; each axis on its own.
    // The centre is taken as a 32-bit real first, as the descriptor holds it.
    if (written.x_centre) {
        const float x_centre = text::nearest_float(*written.x_centre);
        d.west_x() = DescriptorView::to_float(double(x_centre) - d.column_spacing() / 2.0);
    }
    if (written.y_centre) {
        const float y_centre = text::nearest_float(*written.y_centre);
        d.south_y() = DescriptorView::to_float(double(y_centre) - d.row_spacing() / 2.0);
    }
    d.value_type() = GRIDLIB_ELEMENTS_AS_TEXT;
    d.derive_east_from_columns();
    d.derive_north_from_rows();
    return GRIDLIB_OK;
}

std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView& d) {
    WrittenPlacement written;
    if (!read_again(grid_name, d, read_header_lines, written)) return std::nullopt;
    const double width = written.column_width.value_or(d.column_spacing());
    const double height = written.row_height.value_or(d.row_spacing());
    // A number not written is what the descriptor holds for it.
    const double west = written.x_centre ? *written.x_centre - width / 2.0 : written.x_corner.value_or(d.west_x());
    const double south = written.y_centre ? *written.y_centre - height / 2.0 : written.y_corner.value_or(d.south_y());
    return placement_from_point(CellPoint::lower_left_corner, west, south, width, height, d.rows());
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    auto unit = platform::TextUnit::open(request.grid_name);
    if (!unit) return GRIDLIB_REFUSED;
    if (!rows::skip_lines(unit->file(), header_lines(d))) return GRIDLIB_HEADER_LINES_MISSING;
    plan.rules = rows::ValueRules::matching_null(d.null_value(), kNullTolerance);
    plan.rules.add_scaling(d.base(), d.scale_divisor());
    plan.north_first = true;
    return rows::plan_text_reads(std::move(*unit), d.columns(), d.rows(), plan);
}

bool ncols_first(const FirstBytes& b, DescriptorView&) { return b.starts_with("ncols") || b.starts_with("NCOLS"); }

constexpr std::string_view kExtensions[] = {".ASC", ".asc", ".arc", ".ARC"};
constexpr ContentTest kContentTests[] = {ncols_first};

constexpr StatusWords kHeaderStatuses[] = {{GRIDLIB_ESRI_NO_DATA, "the file ends before its data"}};

}  // namespace

extern constinit const Driver esri_ascii_driver{
    .format = FormatCode::esri_ascii,
    .name = "ESRI ASCII",
    // A centre origin (XLLCENTER) is moved to the corner by the reader.
    .cell_point = CellPoint::lower_left_corner,
    .extensions = kExtensions,
    .content_tests = kContentTests,
    .read_header = read_header,
    .read_placement = read_placement,
    .plan_rows = plan_rows,
    .header_statuses = kHeaderStatuses,
};

}  // namespace gridlib::formats
