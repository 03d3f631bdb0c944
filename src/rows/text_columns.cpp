// Text grids stored as columns, transposed through a scratch file.
#include "rows/text_columns.h"

#include "gridlib.h"
#include "platform/file.h"

#include <algorithm>
#include <vector>

namespace gridlib::rows {
namespace {

// Values decoded and written at a time: large enough for few writes, and
// the only part of a column held in memory.
constexpr std::int64_t kPiece = 64 * 1024;

}  // namespace

TextColumnSource::TextColumnSource(const std::string& directory) {
    if (auto created = platform::create_registered_unique_open_file(directory, "~gridlib-", ".columns", guard_)) {
        name_ = std::move(created->name);
        scratch_ = std::move(created->file);
    }
}

TextColumnSource::~TextColumnSource() {
    // Both handles of the scratch file are closed before it goes.
    rows_.reset();
    scratch_.close();
    // Through its folder: a folder renamed meanwhile keeps no leftover.
    if (guard_) guard_->remove_file();
    guard_.reset();
}

Status TextColumnSource::write_columns(TextVectors& vectors, std::int32_t columns, std::int32_t rows) {
    if (!scratch_.is_open()) return GRIDLIB_WORKING_GRID_FAILED;
    std::vector<float> piece(static_cast<std::size_t>(std::min<std::int64_t>(rows, kPiece)));
    for (std::int64_t i = 1; i <= columns; ++i) {
        for (std::int64_t done = 0; done < rows;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(kPiece, rows - done));
            const std::span<float> values(piece.data(), n);
            if (!vectors.read_values(values)) return row_status(i);
            if (!scratch_.write(std::as_bytes(values))) return GRIDLIB_WORKING_GRID_FAILED;
            done += static_cast<std::int64_t>(n);
        }
        vectors.end_vector();
    }
    return scratch_.close() ? GRIDLIB_OK : GRIDLIB_WORKING_GRID_FAILED;
}

}  // namespace gridlib::rows
