// The read path of every input format, chosen from the descriptor.
#include "grid/read_plan.h"

#include "grid/binary_columns.h"
#include "grid/binary_rows.h"
#include "grid/elements.h"
#include "grid/number_scanner.h"
#include "grid/text_rows.h"
#include "platform/file.h"
#include "platform/text_units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridlib::grid {
namespace {

constexpr Status kRefused = -1;
constexpr Status kNoGridLine = -27;
constexpr Status kHeaderLinesMissing = -28;
constexpr Status kRowPositioning = -3000;  // ER Mapper and "$$BGD" rows

// What a storage order code says about the stored vectors. Codes outside
// +-1..+-4 are taken as 1, plain rows from the south-west corner, the
// layout every header reader presets.
struct Directions {
    bool reverse_columns = false;  // a stored row runs from east to west
    bool north_first = false;      // the first stored row is the northern one
    bool columns_stored = false;   // the stored vectors are columns
};

// |v| without the overflow of std::abs on the most negative integer.
std::int64_t magnitude(std::int32_t v) { return v < 0 ? -static_cast<std::int64_t>(v) : v; }

Directions directions_of(std::int32_t order) {
    Directions dir;
    switch (magnitude(order)) {
        case 2: dir.north_first = true; break;
        case 3: dir.reverse_columns = dir.north_first = true; break;
        case 4: dir.reverse_columns = true; break;
        default: break;
    }
    dir.columns_stored = order == 4 || order == -3 || order == -1 || order == 2;
    return dir;
}

ValueRules null_rules(const DescriptorView& d, double tolerance) {
    ValueRules r;
    r.match_null = true;
    r.null_value = d.null_value();
    r.tolerance = tolerance;
    return r;
}

void add_scaling(ValueRules& r, const DescriptorView& d) {
    r.base = d.base();
    r.divisor = d.scale_divisor();
    r.scale = std::fabs(r.base) > 0.01f || std::fabs(r.divisor - 1.0f) > 0.01f;
}

Status open_binary(const std::string& name, platform::File& file) {
    auto f = platform::File::open_read(name);
    if (!f) return kRefused;
    file = std::move(*f);
    return 0;
}

// A header may declare rows far longer than its file; the first row to be
// read must then fail before a buffer of that size is allocated, with the
// status its read would have given.
Status plan_rows(platform::File file, const ElementLayout& layout, const RowPlacement& placement,
                 std::int64_t stored_rows, const IndexRange& rows, ReadPlan& plan) {
    if (!placement_fits(placement, stored_rows)) return kRefused;
    const auto size = file.size();
    if (!size) return kRefused;
    const std::int64_t first = kept_stored_rows(rows, stored_rows, plan.north_first).first;
    if (const Status s = unreadable_row_status(placement, first, *size); s != 0) return s;
    plan.source = std::make_unique<BinaryRowSource>(std::move(file), layout, placement);
    return 0;
}

// ER Mapper: the header names a.ers, the data lie in a, or else in a.erm;
// rows of all bands interleave, band after band.
Status plan_er_mapper(const std::string& input_name, const DescriptorView& d, const IndexRange& rows,
                      ReadPlan& plan) {
    std::string data = input_name;
    if (data.size() >= 4 && (data.ends_with(".ers") || data.ends_with(".ERS"))) data.resize(data.size() - 4);
    if (!platform::file_exists(data)) data += ".erm";
    if (!platform::file_exists(data)) return kRefused;
    platform::File file;
    if (const Status s = open_binary(data, file); s != 0) return s;

    ElementLayout layout;
    layout.swap_bytes = d.most_significant_first();
    switch (magnitude(d.value_type())) {
        case 4: layout.kind = ElementKind::real64; break;
        case 3: layout.kind = ElementKind::uint8; break;
        case 2: layout.kind = ElementKind::int16; break;
        case 1: layout.kind = ElementKind::int32_thousandths; break;
        default: layout.kind = ElementKind::real32; break;
    }
    const auto row_bytes = static_cast<__int128>(layout.stored_bytes(static_cast<std::uint64_t>(d.columns())));
    const __int128 first = (static_cast<__int128>(d.selected_band()) - 1) * row_bytes + d.header_bytes();
    const __int128 stride = static_cast<__int128>(d.band_count()) * row_bytes;
    constexpr __int128 kMax = std::numeric_limits<std::int64_t>::max();
    if (first > kMax || first < -kMax || stride > kMax || stride < -kMax) return kRefused;

    RowPlacement placement{static_cast<std::int64_t>(first), static_cast<std::int64_t>(stride),
                           static_cast<std::uint64_t>(row_bytes), kRowPositioning};
    plan.rules = null_rules(d, 1.0e-8);
    plan.north_first = true;
    plan.data_name = data;
    return plan_rows(std::move(file), layout, placement, d.rows(), rows, plan);
}

// Big-endian rows framed by 4-byte record markers.
Status plan_framed(platform::File file, const DescriptorView& d, const IndexRange& rows, ReadPlan& plan) {
    // The records hold 32-bit reals; any other element size would make the
    // record larger than the values it is decoded into.
    if (magnitude(d.value_type()) != 4) return kNotHandled;
    const auto n = static_cast<std::int64_t>(d.columns());
    ElementLayout layout{ElementKind::real32, d.most_significant_first(), false};
    RowPlacement placement{static_cast<std::int64_t>(d.header_bytes()) + 4, (n + 2) * 4,
                           static_cast<std::uint64_t>(n) * 4, 0};
    plan.rules = null_rules(d, 1.0e-8);
    plan.north_first = directions_of(d.storage_order()).north_first;
    return plan_rows(std::move(file), layout, placement, d.rows(), rows, plan);
}

Status plan_bgd(platform::File file, const DescriptorView& d, const IndexRange& rows, ReadPlan& plan) {
    const auto n = static_cast<std::int64_t>(d.columns());
    ElementLayout layout{ElementKind::real32, d.most_significant_first(), false};
    RowPlacement placement{d.header_bytes(), n * 4, static_cast<std::uint64_t>(n) * 4, kRowPositioning};
    plan.rules = ValueRules{};  // the rows are not compared with the header's null value
    plan.north_first = true;
    return plan_rows(std::move(file), layout, placement, d.rows(), rows, plan);
}

// Formats 2 (header variant), 10, 11, 12, 13 and 14: a header, then rows or
// columns of 2-, 4- or 8-byte values.
Status plan_binary_family(platform::File file, const DescriptorView& d, const IndexRange& rows, ReadPlan& plan) {
    const FormatCode format = d.format();
    const std::int64_t size = magnitude(d.value_type());
    ElementLayout layout;
    if (format == FormatCode::k_blocks) {
        if (size != 2 && size != 4) return kNotHandled;
        layout.kind = size == 4 ? ElementKind::real32 : ElementKind::int16;
        layout.blocks_of_64 = true;
    } else if (size == 8) {
        layout.kind = ElementKind::real64;
    } else if (size == 4) {
        layout.kind = ElementKind::real32;
    } else if (size == 2) {
        layout.kind = ElementKind::int16;
    } else {
        return kNotHandled;  // no decoding is defined for other element sizes
    }

    const Directions dir = directions_of(d.storage_order());
    const bool surfer = format == FormatCode::surfer6 || format == FormatCode::surfer7;
    if (surfer || size != 4) {
        plan.rules = null_rules(d, 0.1);
    }
    plan.rules.reverse = dir.reverse_columns;
    add_scaling(plan.rules, d);
    // Surfer grids always store the southern row first, whatever their code.
    plan.north_first = dir.north_first && !surfer;

    if (!dir.columns_stored) {
        // Stored rows are taken byte for byte, as the files written for this
        // reader expect; only stored columns honour the byte-order word.
        const auto bytes = layout.stored_bytes(static_cast<std::uint64_t>(d.columns()));
        if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return kRefused;
        RowPlacement placement{d.header_bytes(), static_cast<std::int64_t>(bytes), bytes, 0};
        return plan_rows(std::move(file), layout, placement, d.rows(), rows, plan);
    }
    // The blocks of 64 are a layout of stored rows; stored columns have none.
    if (layout.blocks_of_64) return kNotHandled;
    layout.swap_bytes = d.most_significant_first();
    ColumnPlacement placement;
    placement.first_offset = d.header_bytes();
    placement.column_bytes = layout.stored_bytes(static_cast<std::uint64_t>(d.rows()));
    placement.columns = d.columns();
    placement.rows = d.rows();
    const StoredRows kept = kept_stored_rows(rows, d.rows(), plan.north_first);
    placement.last_needed = kept.last;
    if (!placement_fits(placement, layout.element_size())) return kRefused;
    const auto file_size = file.size();
    if (!file_size) return kRefused;
    const Status short_status = unreadable_row_status(placement, layout.element_size(), kept.first, *file_size);
    if (short_status != 0) return short_status;
    plan.source = std::make_unique<ColumnSource>(std::move(file), layout, placement);
    return 0;
}

Status plan_text(const std::string& name, const DescriptorView& d, ReadPlan& plan) {
    auto unit = platform::TextUnit::open(name);
    if (!unit) return kRefused;
    if (d.format() == FormatCode::gxf) {
        if (!skip_past_line_containing(unit->file(), "#GRID")) return kNoGridLine;
        const Directions dir = directions_of(d.storage_order());
        plan.rules = null_rules(d, 0.1);
        plan.rules.reverse = dir.reverse_columns;
        plan.north_first = dir.north_first;
    } else {
        if (!skip_lines(unit->file(), d.header_bytes())) return kHeaderLinesMissing;
        plan.rules = null_rules(d, 0.1);
        plan.north_first = true;
    }
    add_scaling(plan.rules, d);

    // Every value takes at least one character and a separator after it
    // (the last one aside), so a row of n values needs 2n - 1 bytes and r
    // rows 2nr - 1. A file without room for one row fails on its first,
    // before a row of that size is allocated.
    const auto size = unit->file().size();
    if (!size) return kRefused;
    const __int128 left = static_cast<__int128>(*size) - unit->file().position();
    const __int128 n = d.columns();
    if (left < 2 * n - 1) return row_status(1);
    plan.can_be_complete = left >= 2 * n * d.rows() - 1;
    plan.source = std::make_unique<TextRowSource>(std::move(*unit));
    return 0;
}

}  // namespace

StoredRows kept_stored_rows(const IndexRange& rows, std::int64_t stored_rows, bool north_first) {
    if (north_first) return {stored_rows - rows.last + 1, stored_rows - rows.first + 1};
    return {rows.first, rows.last};
}

void ValueRules::apply(std::span<float> row) const {
    if (reverse) std::reverse(row.begin(), row.end());
    if (match_null) {
        for (float& v : row) {
            if (std::fabs(static_cast<double>(v) - null_value) <= tolerance) v = kNullValue;
        }
    }
    if (scale) {
        for (float& v : row) {
            if (!is_valid(v)) continue;
            v = v / divisor + base;
            if (!std::isfinite(v)) v = kNullValue;
        }
    }
}

Status open_read_plan(const std::string& input_name, const DescriptorView& d, const IndexRange& rows,
                      ReadPlan& plan) {
    plan = ReadPlan{};
    plan.data_name = input_name;
    const FormatCode format = d.format();

    // Character-coded rows (compressed GXF, "$$GRID$$" grids) are not read yet.
    if ((format == FormatCode::gxf && d.value_type() != 0) || format == FormatCode::grid_text) return kNotHandled;

    switch (format) {
        case FormatCode::er_mapper:
            return plan_er_mapper(input_name, d, rows, plan);
        case FormatCode::gxf:
        case FormatCode::esri_ascii:
            return plan_text(input_name, d, plan);
        case FormatCode::binary_512:
        case FormatCode::bgd:
        case FormatCode::binary_24:
        case FormatCode::tool:
        case FormatCode::k_blocks:
        case FormatCode::surfer6:
        case FormatCode::surfer7:
            break;
        default:
            return kNotHandled;
    }
    platform::File file;
    if (const Status s = open_binary(input_name, file); s != 0) return s;
    if (format == FormatCode::bgd) return plan_bgd(std::move(file), d, rows, plan);
    if (format == FormatCode::binary_512) {
        if (d.value_type() < 1) return kNotHandled;
        if (d.band_count() == 1) return plan_framed(std::move(file), d, rows, plan);
    }
    return plan_binary_family(std::move(file), d, rows, plan);
}

}  // namespace gridlib::grid
