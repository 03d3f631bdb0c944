// Helpers for the window reader tests: descriptors for hand-built grids, a
// reader of the working grid file, and stored layouts of a known grid.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "grid/grid_reader.h"
#include "support/temp_dir.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace gridlib::testing {

// A descriptor as a header reader leaves it: cells of 1 unit from (0, 0),
// base 0, divisor 1, the statistics entries at the null value.
inline GridDescriptor descriptor(FormatCode format, std::int32_t columns, std::int32_t rows,
                                 std::int32_t header_bytes, std::int32_t value_type, std::int32_t order = 1,
                                 std::int32_t byte_order = 2, float null_value = -99999.0f) {
    GridDescriptor g;
    auto d = g.view();
    d.set_format(format);
    // The 512-byte-header grids use the band count as their variant flag:
    // 0 is the header variant, 1 the record-framed one.
    d.band_count() = format == FormatCode::binary_512 ? 0 : 1;
    d.selected_band() = 1;
    d.data_offset() = header_bytes;
    d.value_type() = value_type;
    d.storage_order() = order;
    d.byte_order() = byte_order;
    d.columns() = columns;
    d.rows() = rows;
    d.west_x() = 0;
    d.south_y() = 0;
    d.column_spacing() = 1;
    d.row_spacing() = 1;
    d.derive_east_from_columns();
    d.derive_north_from_rows();
    d.null_value() = null_value;
    d.base() = 0;
    d.scale_divisor() = 1;
    d.set_statistics_to(null_value);
    return g;
}

// The window that covers the whole grid, as the converter passes it.
inline GridWindow whole(const DescriptorView& d, std::int32_t column_step = 1, std::int32_t row_step = 1) {
    return {d.west_x(), d.east_x(), column_step, d.south_y(), d.north_y(), row_step};
}

// A working grid file taken apart.
struct WorkingGrid {
    std::vector<std::byte> bytes;
    template <typename T>
    T at(std::size_t offset) const {
        T v{};
        std::memcpy(&v, bytes.data() + offset, sizeof v);
        return v;
    }
    std::int32_t columns() const { return at<std::int32_t>(8); }
    std::int32_t rows() const { return at<std::int32_t>(12); }
    std::int32_t count() const { return at<std::int32_t>(156); }
    // Stored rows, the northern one first.
    std::vector<std::vector<float>> values() const {
        std::vector<std::vector<float>> out(static_cast<std::size_t>(rows()));
        for (std::size_t s = 0; s < out.size(); ++s) {
            out[s].resize(static_cast<std::size_t>(columns()));
            std::memcpy(out[s].data(), bytes.data() + 512 + s * out[s].size() * 4, out[s].size() * 4);
        }
        return out;
    }
};

inline WorkingGrid read_working(const std::string& path) { return {read_file(path)}; }

// A grid by value: truth(i, g) for column i (1 = west) and row g (1 = south).
using Truth = std::function<float(std::int32_t i, std::int32_t g)>;

// The working rows a grid must give: northern row first.
inline std::vector<std::vector<float>> expected_rows(const Truth& t, std::int32_t n, std::int32_t rows) {
    std::vector<std::vector<float>> out;
    for (std::int32_t g = rows; g >= 1; --g) {
        out.emplace_back();
        for (std::int32_t i = 1; i <= n; ++i) out.back().push_back(t(i, g));
    }
    return out;
}

// The stored values of a grid under a storage order code, in file order:
// stored rows (or stored columns) one after another.
inline std::vector<float> stored_order(const Truth& t, std::int32_t n, std::int32_t rows, std::int32_t order,
                                       bool north_first_override = false, bool surfer = false) {
    const std::int32_t a = order < 0 ? -order : order;
    const bool reverse = a == 3 || a == 4;
    bool north_first = a == 2 || a == 3;
    if (surfer) north_first = false;
    if (north_first_override) north_first = true;
    const bool columns = order == 4 || order == -3 || order == -1 || order == 2;
    auto value = [&](std::int32_t k, std::int32_t i) {  // element i of stored row k
        const std::int32_t g = north_first ? rows - k + 1 : k;
        return t(reverse ? n - i + 1 : i, g);
    };
    std::vector<float> out;
    if (columns) {
        for (std::int32_t i = 1; i <= n; ++i)
            for (std::int32_t k = 1; k <= rows; ++k) out.push_back(value(k, i));
    } else {
        for (std::int32_t k = 1; k <= rows; ++k)
            for (std::int32_t i = 1; i <= n; ++i) out.push_back(value(k, i));
    }
    return out;
}

// A name as a fixed-length text that ends at a NUL, as C callers pass it.
inline std::string fixed_name(const std::string& name) { return name + '\0'; }

}  // namespace gridlib::testing
