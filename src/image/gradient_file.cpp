// Records of the gradient file, read and written.
#include "image/gradient_file.h"

#include <bit>

namespace gridlib {

static_assert(std::endian::native == std::endian::little, "slope codes are read as little-endian");

namespace {

std::uint64_t record_bytes(std::int32_t columns) { return static_cast<std::uint64_t>(columns) * 4u; }

}  // namespace

std::optional<GradientFile> GradientFile::open(const std::string& path, std::int32_t columns, std::int64_t rows) {
    if (columns <= 0 || rows <= 0) return std::nullopt;
    auto file = platform::File::open_read(path);
    if (!file) return std::nullopt;
    // Checked before any row buffer is allocated for it.
    const auto size = file->size();
    if (!size || *size / record_bytes(columns) < static_cast<std::uint64_t>(rows)) return std::nullopt;
    return GradientFile(std::move(*file), columns);
}

bool GradientFile::read_row(std::int64_t from_north, std::span<std::int16_t> codes) const {
    const auto count = 2 * static_cast<std::size_t>(columns_);
    if (from_north < 0 || codes.size() < count) return false;
    const auto bytes = std::as_writable_bytes(codes.first(count));
    return file_.read_at_concurrently(static_cast<std::uint64_t>(from_north) * record_bytes(columns_), bytes) ==
           bytes.size();
}

std::optional<GradientFileWriter> GradientFileWriter::create(const std::string& path, std::int32_t columns) {
    if (columns <= 0) return std::nullopt;
    auto file = platform::File::create(path);
    if (!file) return std::nullopt;
    return GradientFileWriter(std::move(*file), columns);
}

std::uint64_t GradientFileWriter::file_bytes(std::int32_t columns, std::int64_t rows) {
    return record_bytes(columns) * static_cast<std::uint64_t>(rows);
}

bool GradientFileWriter::write_rows(std::span<const std::int16_t> codes) {
    return codes.size() % (2 * static_cast<std::size_t>(columns_)) == 0 && file_.write(std::as_bytes(codes));
}

}  // namespace gridlib
