// The working grid file: every readable input format is reduced to this one
// layout, which the histogram and the image writer read. A 512-byte
// little-endian header, then one row of 32-bit reals per grid row, the
// northern row first and each row from west to east; null cells hold
// kNullValue. The layout is that of a 512-byte-header binary grid with
// storage order -2, so the working grid can be read back as such a grid.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "platform/file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gridlib::working_grid {

inline constexpr std::uint64_t kHeaderBytes = 512;
// Storage order code meaning "stored row 1 is the northern row".
inline constexpr std::int32_t kNorthFirst = GRIDLIB_ROWS_FROM_NORTH_WEST;
inline constexpr std::uint64_t kStorageOrderOffset = 16;

struct Geometry {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    double column_spacing = 0;
    double row_spacing = 0;
    double west_x = 0;
    double south_y = 0;
};

struct Statistics {
    std::int32_t count = 0;
    float minimum = 0, maximum = 0, mean = 0;
    double std_dev = 0;
};

// The header as first written: statistics words at their "not yet known" values.
std::array<std::byte, kHeaderBytes> header_bytes(const Geometry& g);
// The 28 bytes of the statistics words and where they go.
inline constexpr std::uint64_t kStatisticsOffset = 156;
std::array<std::byte, 28> statistics_bytes(const Statistics& s);

// Byte offset of stored row s (s = 1 for the first stored row).
inline std::uint64_t row_offset(std::int64_t s, std::int64_t columns) {
    return kHeaderBytes + static_cast<std::uint64_t>(s - 1) * static_cast<std::uint64_t>(columns) * 4u;
}

// The size of the working grid of columns x rows cells.
inline std::uint64_t file_bytes(std::int32_t columns, std::int32_t rows) {
    return row_offset(std::int64_t{rows} + 1, columns);
}

// Writes a working grid: the header first, rows in any order, then the
// statistics words once they are known.
class Writer {
public:
    // Creates (or truncates) the file and writes its header.
    static std::optional<Writer> create(const std::string& path, const Geometry& g);
    // Stored rows s, s + 1, ... (1-based, s = 1 the northern row), one
    // after another in values, with one write.
    bool write_rows(std::int64_t s, std::span<const float> values);
    bool write_statistics(const Statistics& s);
    // False when anything failed since the file was created.
    bool close() { return file_.close(); }

private:
    Writer(platform::File file, std::int32_t columns) : file_(std::move(file)), columns_(columns) {}
    platform::File file_;
    std::int32_t columns_;
};

// Reads rows of a working grid; used by the histogram and the image writers.
class Reader {
public:
    static std::optional<Reader> open(const std::string& path, std::int32_t columns);
    // True when stored row 1 is the northern row (the storage order word is -2).
    bool north_first() const { return north_first_; }
    // Reads stored row s (1-based) into out (columns values); false when the
    // file ends before the row does.
    bool read_row(std::int64_t s, std::span<float> out);
    // Reads stored rows s, s + 1, ... into out (whole rows); several threads
    // may read at once. False when the file ends before the last row does.
    bool read_rows_concurrently(std::int64_t s, std::span<float> out) const;
    // True when the file is long enough to hold `rows` rows: a caller can
    // check before it allocates for them.
    bool holds_rows(std::int64_t rows);

private:
    Reader(platform::File file, std::int32_t columns, bool north_first)
        : file_(std::move(file)), columns_(columns), north_first_(north_first) {}
    platform::File file_;
    std::int32_t columns_;
    bool north_first_;
};

}  // namespace gridlib::working_grid
