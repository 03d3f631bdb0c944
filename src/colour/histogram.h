// The value histogram of a working grid: counts of a subsample of its cells
// in the kLevels bins between the colour limits, from which the converter
// derives its histogram-equalised colour levels.
#pragma once

#include "colour/colour_table.h"
#include "descriptor/grid_descriptor.h"

#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// The sampling step along a side of `count` cells: the smallest step that
// keeps at most 513 cells (the first, then every step-th).
std::int32_t histogram_sampling_step(std::int32_t count);

// Counts the working grid at working_path into levels: entry k - 1 holds the count of bin k. With open limits
// (colour_min() >= colour_max()) the limits start from the data range and
// are narrowed up to three times to cut off tails holding less than
// tail_fraction percent of the counted values each; the limits used for the
// returned counts are left in colour_min() and colour_max(). Limits given by
// the caller are used as they are, in one pass. A constant grid (equal
// limits) gets a count of 1 in bin 1 without reading the file.
// Reads the sampled cells once, into memory, for all passes. Returns 0, GRIDLIB_REFUSED (a byte
// image, or limits not usable), GRIDLIB_HISTOGRAM_TOO_SMALL or
// GRIDLIB_HISTOGRAM_UNREADABLE; levels is written only on success.
std::int32_t count_histogram(const std::string& working_path, DescriptorView d, float tail_fraction,
                             std::span<std::int32_t, kLevels> levels);

}  // namespace gridlib
