// Header reader of the GXF text grid: "#KEYWORD" lines, each followed by a
// line holding its value, up to the "#GRID" line in front of the data.
#include "headers/header_lines.h"
#include "headers/header_reader.h"
#include "text/fields.h"

#include <string_view>
#include <utility>

namespace gridlib::headers {
namespace {

constexpr Status kEndBeforeGrid = -2006;

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
    {"PTSEP", Key::pt_sep, -2703},           {"RWSEP", Key::rw_sep, -2704},
    {"ROT", Key::rotation, -2705},           {"SENSE", Key::sense, -2706},
    {"GTYPE", Key::gtype, -2707},            {"XOR", Key::x_origin, -2708},
    {"YOR", Key::y_origin, -2709},           {"ZMIN", Key::z_min, -2710},
    {"ZMAX", Key::z_max, -2713},             {"TRANSF", Key::transform, kEndBeforeGrid},
    {"DUMMY", Key::dummy, -2714},            {"#GRID", Key::grid, 0},
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
    // Sense -1 and 2 store columns as the file's vectors: the counts and
    // spacings of the header describe them, not the grid's rows.
    if (d.storage_order() == -1 || d.storage_order() == 2) {
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

}  // namespace

Status read_gxf_header(platform::File& file, DescriptorView& d) {
    d.west_x() = 0.0f;
    d.south_y() = 0.0f;
    d.column_spacing() = 1.0f;
    d.row_spacing() = 1.0f;
    d.null_value() = kNullValue;
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    d.value_type() = 0;
    d.storage_order() = 1;

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
            case Key::pt_sep: d.column_spacing() = text::float_value(value); break;
            case Key::rw_sep: d.row_spacing() = text::float_value(value); break;
            case Key::rotation: d.rotation() = text::float_value(value); break;
            case Key::sense: d.storage_order() = text::integer_value(value); break;
            case Key::gtype: d.value_type() = text::integer_value(value); break;
            case Key::x_origin: d.west_x() = text::float_value(value); break;
            case Key::y_origin: d.south_y() = text::float_value(value); break;
            case Key::z_min: d.data_min() = text::float_value(value); break;
            case Key::z_max: d.data_max() = text::float_value(value); break;
            case Key::transform: apply_transform(value, d); break;
            case Key::dummy: d.null_value() = text::float_value(value); break;
            case Key::grid: break;
        }
    }
    complete(d);
    return 0;
}

}  // namespace gridlib::headers
