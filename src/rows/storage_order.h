// What a storage order code (+-1..+-4) says about the stored vectors: which
// corner they start from, which way they run, and whether they are rows or
// columns.
#pragma once

#include <cstdint>

namespace gridlib::rows {

struct Directions {
    bool reverse_columns = false;  // a stored row runs from east to west
    bool north_first = false;      // the first stored row is the northern one
    bool columns_stored = false;   // the stored vectors are columns
};

// |v| without the overflow of std::abs on the most negative integer.
inline std::int64_t magnitude(std::int32_t v) { return v < 0 ? -static_cast<std::int64_t>(v) : v; }

// Codes outside +-1..+-4 are taken as 1, plain rows from the south-west
// corner, the layout every header reader presets.
inline Directions directions_of(std::int32_t order) {
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

}  // namespace gridlib::rows
