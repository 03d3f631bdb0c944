// The histogram file: a run's colour limits and level table kept on disk, so
// that other grids drawn through it get the same colours for the same values.
#pragma once

#include "colour/colour_table.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace gridlib {

// 2 bytes that readers pass over, the lower and upper colour limit as
// little-endian 32-bit reals, then one little-endian int32 level per bin.
inline constexpr std::size_t kHistogramFileSize = 2 + 4 + 4 + 4 * kLevels;

// The file's bytes for the limits and the levels.
std::string histogram_file_bytes(float lower, float upper, std::span<const std::int32_t, kLevels> levels);

// Writes them to path as an output (see PendingFile: in the open output
// group, if any). GRIDLIB_OK or GRIDLIB_IMAGE_WRITE_FAILED.
std::int32_t write_histogram_file(const std::string& path, float lower, float upper,
                                  std::span<const std::int32_t, kLevels> levels);

}  // namespace gridlib
