// What a storage order code (+-1..+-4) says about the stored vectors: which
// corner they start from, which way they run, and whether they are rows or
// columns.
#pragma once

#include "gridlib.h"

#include <cstdint>

namespace gridlib::rows {

struct Directions {
    bool reverse_columns = false;  // a stored row runs from east to west
    bool north_first = false;      // the first stored row is the northern one
    bool columns_stored = false;   // the stored vectors are columns
};

// |v| without the overflow of std::abs on the most negative integer.
inline std::int64_t magnitude(std::int32_t v) { return v < 0 ? -static_cast<std::int64_t>(v) : v; }

// Codes without a name are taken as GRIDLIB_ROWS_FROM_SOUTH_WEST, the
// layout every header reader presets.
inline Directions directions_of(std::int32_t order) {
    switch (order) {
        case GRIDLIB_COLUMNS_FROM_SOUTH_WEST: return {.columns_stored = true};
        case GRIDLIB_COLUMNS_FROM_NORTH_WEST: return {.north_first = true, .columns_stored = true};
        case GRIDLIB_ROWS_FROM_NORTH_WEST: return {.north_first = true};
        case GRIDLIB_ROWS_FROM_NORTH_EAST: return {.reverse_columns = true, .north_first = true};
        case GRIDLIB_COLUMNS_FROM_NORTH_EAST:
            return {.reverse_columns = true, .north_first = true, .columns_stored = true};
        case GRIDLIB_COLUMNS_FROM_SOUTH_EAST: return {.reverse_columns = true, .columns_stored = true};
        case GRIDLIB_ROWS_FROM_SOUTH_EAST: return {.reverse_columns = true};
        default: return {};
    }
}

}  // namespace gridlib::rows
