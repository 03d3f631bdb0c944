// One level of a pyramid from the level below it: each cell the mean of the
// valid values of a 2 x 2 block, so that a distant view shows the average
// and not every other cell; null only where all four are null.
#pragma once

#include <cstdint>
#include <span>

namespace gridlib::tiles {

// The ceil(columns / 2) cells of one coarser row from the row pair north
// and south (south empty for the last row of an odd count), each row of
// `columns` values; a missing east cell at an odd width counts as null.
// Null cells come out as the working grid's null value.
void reduce_row_pair(std::span<const float> north, std::span<const float> south, std::span<float> out);

// The ceil(rows / 2) rows of the coarser level from `rows` rows of
// `columns` values, one after another in `band`, into `out`.
void reduce_band(std::span<const float> band, std::int64_t rows, std::int64_t columns, std::span<float> out);

}  // namespace gridlib::tiles
