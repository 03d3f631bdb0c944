// The gradient file that goes with a working grid for a shaded image: no
// header, one record per grid row, the northern row first whatever the
// working grid's storage order; a record holds the first slope codes of the
// row's cells west to east, then their second slope codes, each a signed
// 16-bit little-endian number.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace gridlib {

class GradientFile {
public:
    // Opens the gradient file of a grid of columns x rows cells (both >= 1);
    // nothing when it cannot be read or is shorter than the grid.
    static std::optional<GradientFile> open(const std::string& path, std::int32_t columns, std::int64_t rows);

    // Reads the record of the row from_north rows below the northern one into
    // codes (2 x columns values: the first codes, then the second); false
    // when the file ends before the record does. Several threads may read at once.
    bool read_row(std::int64_t from_north, std::span<std::int16_t> codes) const;

private:
    GradientFile(platform::File file, std::int32_t columns) : file_(std::move(file)), columns_(columns) {}
    platform::File file_;
    std::int32_t columns_;
};

// Writes a gradient file in runs of records, the northern row first.
class GradientFileWriter {
public:
    // Creates (or truncates) the file for a grid of `columns` >= 1 columns;
    // nothing when it cannot be created.
    static std::optional<GradientFileWriter> create(const std::string& path, std::int32_t columns);
    // The size of the whole file of a grid of columns x rows cells.
    static std::uint64_t file_bytes(std::int32_t columns, std::int64_t rows);

    // Appends the records of the next rows, one after another, each of
    // 2 x columns codes: the first codes, then the second. False as well
    // when codes does not hold whole records.
    bool write_rows(std::span<const std::int16_t> codes);
    // False when anything failed since the file was created.
    bool close() { return file_.close(); }

private:
    GradientFileWriter(platform::File file, std::int32_t columns) : file_(std::move(file)), columns_(columns) {}
    platform::File file_;
    std::int32_t columns_;
};

}  // namespace gridlib
