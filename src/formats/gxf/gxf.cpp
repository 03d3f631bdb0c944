// The GXF text grid: "#KEYWORD" lines, each followed by a line holding its
// value, up to the "#GRID" line; then the values, written as numbers or
// (compressed grids) coded in characters.
#include "formats/driver.h"
#include "formats/header_lines.h"
#include "formats/gxf/gxf_compressed.h"
#include "rows/number_scanner.h"
#include "rows/storage_order.h"
#include "text/fields.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace gridlib::formats {
namespace {

constexpr Status kEndBeforeGrid = GRIDLIB_GXF_INCOMPLETE;

// #GTYPE, kept in the value-type word: the characters per compressed value,
// 0 for a grid of written numbers.
std::int32_t& compression_width(DescriptorView& d) { return d.value_type(); }
std::int32_t compression_width(const DescriptorView& d) { return d.value_type(); }

enum class Key {
    points, rows, pt_sep, rw_sep, rotation, sense, gtype, x_origin, y_origin, z_min, z_max, transform, dummy, grid
};

struct Keyword {
    std::string_view text;
    Key key;
    Status value_missing;  // the status when the file ends before the value line
};

// Tried in this order, each found anywhere in the upper-cased line, so the
// abbreviations also match the spelt-out keywords (#ROTATION, #PTSEPARATION,
// #XORIGIN, #TRANSFORM). Keywords not listed here are skipped, and so are
// their value lines.
constexpr Keyword kKeywords[] = {
    {"POINTS", Key::points, kEndBeforeGrid}, {"ROWS", Key::rows, kEndBeforeGrid},
    {"PTSEP", Key::pt_sep, GRIDLIB_GXF_NO_PTSEPARATION},
    {"RWSEP", Key::rw_sep, GRIDLIB_GXF_NO_RWSEPARATION},
    {"ROT", Key::rotation, GRIDLIB_GXF_NO_ROTATION},
    {"SENSE", Key::sense, GRIDLIB_GXF_NO_SENSE},
    {"GTYPE", Key::gtype, GRIDLIB_GXF_NO_GTYPE},
    {"XOR", Key::x_origin, GRIDLIB_GXF_NO_XORIGIN},
    {"YOR", Key::y_origin, GRIDLIB_GXF_NO_YORIGIN},
    {"ZMIN", Key::z_min, GRIDLIB_GXF_NO_ZMINIMUM},
    {"ZMAX", Key::z_max, GRIDLIB_GXF_NO_ZMAXIMUM},
    {"TRANSF", Key::transform, kEndBeforeGrid},
    {"DUMMY", Key::dummy, GRIDLIB_GXF_NO_DUMMY},
    {"#GRID", Key::grid, 0},
};

const Keyword* keyword_of(const HeaderLine& line) {
    for (const Keyword& k : kKeywords) {
        if (line.contains(k.text)) return &k;
    }
    return nullptr;
}

// "scale offset": a real value is stored value x scale + offset; the
// descriptor keeps the divisor 1 / scale and the offset as its base.
void apply_transform(std::string_view value, DescriptorView& d) {
    const auto blank = value.find(' ');
    const float scale = text::float_value(value.substr(0, blank));
    d.scale_divisor() = 1.0f / scale;
    d.base() = blank == std::string_view::npos ? 0.0f : text::float_value(value.substr(blank + 1));
}

void complete(DescriptorView& d) {
    // Senses -1, 2, -3 and 4 store columns as the file's vectors: the counts
    // and spacings of the header describe them, not the grid's rows.
    if (rows::directions_of(d.storage_order()).columns_stored) {
        std::swap(d.columns(), d.rows());
        std::swap(d.column_spacing(), d.row_spacing());
    }
    d.derive_east_from_columns();
    d.derive_north_from_rows();
    // The header's range is in stored units; the descriptor's in real values.
    d.data_min() = d.data_min() / d.scale_divisor() + d.base();
    d.data_max() = d.data_max() / d.scale_divisor() + d.base();
    d.mean() = d.null_value();
    d.std_dev() = d.null_value();
}

// The origin and separations as written, which the descriptor holds as
// 32-bit reals: at projected coordinates of 1e7 those are a metre apart.
struct WrittenPlacement {
    std::optional<double> x_origin, y_origin, point_separation, row_separation;
};

// Reads keyword lines into d and the placement numbers into `written` up to
// the "#GRID" line and past it, leaving the file at the first data line.
// The row reader runs it again to find the data: the very line that ended
// the header, whatever its case and whatever value lines before it happen
// to hold.
Status read_keywords(platform::File& file, DescriptorView& d, WrittenPlacement& written) {
    HeaderLine line;
    HeaderLine value_line;
    for (;;) {
        if (!line.read(file)) return kEndBeforeGrid;
        // Only "#" lines are keyword lines. A value line, such as a title
        // that happens to contain "ROT" (Protected area), must not be taken
        // for one: it would swallow the next keyword line as its value.
        if (!line.text().starts_with('#')) continue;
        const Keyword* keyword = keyword_of(line);
        if (!keyword) continue;
        if (keyword->key == Key::grid) break;
        if (!value_line.read(file)) return keyword->value_missing;
        const std::string_view value = value_line.text();
        switch (keyword->key) {
            case Key::points: d.columns() = text::integer_value(value); break;
            case Key::rows: d.rows() = text::integer_value(value); break;
            case Key::pt_sep:
                written.point_separation = text::real_value(value);
                d.column_spacing() = text::float_value(value);
                break;
            case Key::rw_sep:
                written.row_separation = text::real_value(value);
                d.row_spacing() = text::float_value(value);
                break;
            case Key::rotation: d.rotation() = text::float_value(value); break;
            case Key::sense: d.storage_order() = text::integer_value(value); break;
            case Key::gtype: compression_width(d) = text::integer_value(value); break;
            case Key::x_origin:
                written.x_origin = text::real_value(value);
                d.west_x() = text::float_value(value);
                break;
            case Key::y_origin:
                written.y_origin = text::real_value(value);
                d.south_y() = text::float_value(value);
                break;
            case Key::z_min: d.data_min() = text::float_value(value); break;
            case Key::z_max: d.data_max() = text::float_value(value); break;
            case Key::transform: apply_transform(value, d); break;
            case Key::dummy: d.null_value() = text::float_value(value); break;
            case Key::grid: break;
        }
    }
    // The rest of a "#GRID" line longer than the line buffer is no data.
    if (line.filled()) rows::skip_line(file);
    return GRIDLIB_OK;
}

void preset(DescriptorView& d) {
    d.west_x() = 0.0f;
    d.south_y() = 0.0f;
    d.column_spacing() = 1.0f;
    d.row_spacing() = 1.0f;
    d.null_value() = kNullValue;
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    compression_width(d) = 0;
    d.set_storage_order(StorageOrder::rows_from_south_west);
}

Status read_header(platform::File& file, DescriptorView& d) {
    preset(d);
    WrittenPlacement unused;
    if (const Status s = read_keywords(file, d, unused); s != GRIDLIB_OK) return s;
    complete(d);
    return GRIDLIB_OK;
}

std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView& d) {
    auto file = platform::File::open_read(grid_name);
    if (!file) return std::nullopt;
    GridDescriptor scratch;
    DescriptorView again = scratch.view();
    preset(again);
    WrittenPlacement written;
    if (read_keywords(*file, again, written) != GRIDLIB_OK) return std::nullopt;
    // A number not written is the preset the descriptor holds.
    double width = written.point_separation.value_or(again.column_spacing());
    double height = written.row_separation.value_or(again.row_spacing());
    const double x = written.x_origin.value_or(again.west_x()), y = written.y_origin.value_or(again.south_y());
    complete(again);
    if (again.columns() != d.columns() || again.rows() != d.rows()) return std::nullopt;
    // As in complete(): stored columns make the separations swap roles.
    if (rows::directions_of(again.storage_order()).columns_stored) std::swap(width, height);
    return placement_from_point(CellPoint::centre, x, y, width, height, again.rows());
}

// The file, positioned at its first data line; nothing, with the status
// why, when it cannot be opened or has lost its "#GRID" line meanwhile.
std::optional<platform::TextUnit> open_data(const std::string& grid_name, Status& status) {
    status = GRIDLIB_REFUSED;
    auto unit = platform::TextUnit::open(grid_name);
    if (!unit) return std::nullopt;
    GridDescriptor header_again;
    DescriptorView skipped = header_again.view();
    WrittenPlacement unused;
    status = read_keywords(unit->file(), skipped, unused) == GRIDLIB_OK ? GRIDLIB_OK : GRIDLIB_GXF_NO_GRID_LINE;
    if (status != GRIDLIB_OK) return std::nullopt;
    return unit;
}

// The stored vectors: written numbers, or values coded in characters.
Status open_vectors(const RowRequest& request, std::unique_ptr<rows::TextVectors>& vectors) {
    Status status = GRIDLIB_OK;
    auto unit = open_data(request.grid_name, status);
    if (!unit) return status;
    const std::int64_t width = rows::magnitude(compression_width(request.d));
    if (width == 0) {
        vectors = std::make_unique<rows::WrittenNumbers>(std::move(*unit));
        return GRIDLIB_OK;
    }
    // No value can be decoded in another number of characters: the first
    // vector fails.
    if (!CompressedGxfValues::width_supported(width)) return rows::row_status(1);
    vectors = std::make_unique<CompressedGxfValues>(std::move(*unit), static_cast<int>(width));
    return GRIDLIB_OK;
}

// Rows are read whole, into buffers of a row's size made before the first
// is read; a compressed row may claim two billion cells in a few bytes, so
// the first row is decoded once without its values first: a file whose data
// do not hold it fails here, before any buffer of its size exists.
Status check_first_row(const RowRequest& request) {
    Status status = GRIDLIB_OK;
    auto unit = open_data(request.grid_name, status);
    if (!unit) return status;
    CompressedGxfValues first(std::move(*unit), static_cast<int>(rows::magnitude(compression_width(request.d))));
    return first.skip_values(static_cast<std::uint64_t>(request.d.columns())) ? GRIDLIB_OK : rows::row_status(1);
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    std::unique_ptr<rows::TextVectors> vectors;
    if (const Status s = open_vectors(request, vectors); s != GRIDLIB_OK) return s;
    const rows::Directions dir = rows::directions_of(d.storage_order());
    // Written numbers are compared with the dummy; a coded value is null
    // when its characters say so.
    if (compression_width(d) == 0) plan.rules = rows::ValueRules::matching_null(d.null_value(), kNullTolerance);
    plan.rules.reverse = dir.reverse_columns;
    plan.rules.add_scaling(d.base(), d.scale_divisor());
    plan.north_first = dir.north_first;
    // Value k of stored column i is element i of grid row k. Columns are
    // decoded in pieces into a scratch file that then holds the rows.
    if (dir.columns_stored) {
        return rows::plan_text_columns(std::move(vectors), d.columns(), d.rows(), request.scratch_directory,
                                       request.rows, plan);
    }
    if (compression_width(d) != 0 && d.columns() > 0) {
        if (const Status s = check_first_row(request); s != GRIDLIB_OK) return s;
    }
    return rows::plan_text_rows(std::move(vectors), d.columns(), d.rows(), plan);
}

// A keyword or comment line.
bool hash_first(const FirstBytes& b, DescriptorView&) { return b.byte(0) == '#'; }

constexpr std::string_view kExtensions[] = {".gxf", ".GXF"};
constexpr ContentTest kContentTests[] = {hash_first};

// The words of its statuses; the file ends where a keyword's value should follow.
constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_GXF_INCOMPLETE,
     "no #GRID line was found, or the file ends where the value of #POINTS, #ROWS or #TRANSFORM should follow"},
    {GRIDLIB_GXF_NO_PTSEPARATION, "the file ends where the value of #PTSEPARATION should follow"},
    {GRIDLIB_GXF_NO_RWSEPARATION, "the file ends where the value of #RWSEPARATION should follow"},
    {GRIDLIB_GXF_NO_ROTATION, "the file ends where the value of #ROTATION should follow"},
    {GRIDLIB_GXF_NO_SENSE, "the file ends where the value of #SENSE should follow"},
    {GRIDLIB_GXF_NO_GTYPE, "the file ends where the value of #GTYPE should follow"},
    {GRIDLIB_GXF_NO_XORIGIN, "the file ends where the value of #XORIGIN should follow"},
    {GRIDLIB_GXF_NO_YORIGIN, "the file ends where the value of #YORIGIN should follow"},
    {GRIDLIB_GXF_NO_ZMINIMUM, "the file ends where the value of #ZMINIMUM should follow"},
    {GRIDLIB_GXF_NO_ZMAXIMUM, "the file ends where the value of #ZMAXIMUM should follow"},
    {GRIDLIB_GXF_NO_DUMMY, "the file ends where the value of #DUMMY should follow"},
};
constexpr StatusWords kReadStatuses[] = {{GRIDLIB_GXF_NO_GRID_LINE, "no line holding #GRID was found"}};

}  // namespace

extern constinit const Driver gxf_driver{
    .format = FormatCode::gxf,
    .name = "GXF",
    // The origin and the separations are those of grid nodes.
    .cell_point = CellPoint::centre,
    .extensions = kExtensions,
    .content_tests = kContentTests,
    .read_header = read_header,
    .read_placement = read_placement,
    .plan_rows = plan_rows,
    .header_statuses = kHeaderStatuses,
    .read_statuses = kReadStatuses,
    // The stored vectors are rows, whether they run across the grid or up and down it.
    .row_failure_causes = "it is missing, short, not a number or not validly coded",
};

}  // namespace gridlib::formats
