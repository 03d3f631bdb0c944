// Text grids stored as columns. Their file can only be read in order, one
// stored column after another, while the working grid is written by rows:
// every column is decoded once, in pieces, into a scratch file of 32-bit
// reals beside the working grid, and the rows are then read from it the way
// binary grids stored as columns are, a block of rows at a time. Memory
// stays bounded by one piece and one block, whatever the grid's size.
#pragma once

#include "rows/row_source.h"
#include "rows/text_rows.h"
#include "platform/cleanup.h"
#include "platform/file.h"

#include <memory>
#include <optional>
#include <string>

namespace gridlib::rows {

class TextColumnSource final : public RowSource {
public:
    // Creates the scratch file in directory (empty: the current directory);
    // created() tells whether that worked.
    explicit TextColumnSource(const std::string& directory);
    // Removes the scratch file.
    ~TextColumnSource() override;
    TextColumnSource(const TextColumnSource&) = delete;
    TextColumnSource& operator=(const TextColumnSource&) = delete;

    bool created() const { return !name_.empty(); }
    const std::string& scratch_name() const { return name_; }
    // Decodes `columns` stored columns of `rows` values each into the
    // scratch file: 0, the failing column's -1000 - k, or
    // GRIDLIB_WORKING_GRID_FAILED when the scratch file cannot be written.
    Status write_columns(TextVectors& vectors, std::int32_t columns, std::int32_t rows);
    // The source of the rows, reading the scratch file once it is written.
    void read_rows_through(std::unique_ptr<RowSource> rows) { rows_ = std::move(rows); }

    Status read(std::int64_t k, std::span<float> values) override { return rows_->read(k, values); }

private:
    std::string name_;
    platform::File scratch_;  // open for writing from its creation until the columns are written
    // Registered for removal on SIGINT/SIGTERM for as long as it exists.
    std::optional<platform::CleanupGuard> guard_;
    std::unique_ptr<RowSource> rows_;
};

}  // namespace gridlib::rows
