// The working grid file's header, and its writer and reader.
#include "grid/working_grid.h"

#include <bit>
#include <cstring>

namespace gridlib::working_grid {
namespace {

// Little-endian stores into a byte image of the header.
template <typename T>
void put(std::span<std::byte> out, std::size_t offset, T value) {
    static_assert(std::endian::native == std::endian::little, "little-endian host expected");
    std::memcpy(out.data() + offset, &value, sizeof value);
}

}  // namespace

std::array<std::byte, kHeaderBytes> header_bytes(const Geometry& g) {
    std::array<std::byte, kHeaderBytes> h;
    h.fill(std::byte{' '});
    put<std::int32_t>(h, 0, 4);  // bytes per value
    put<std::int32_t>(h, 4, 2);  // values are 32-bit reals
    put<std::int32_t>(h, 8, g.columns);
    put<std::int32_t>(h, 12, g.rows);
    put<std::int32_t>(h, 16, kNorthFirst);
    put<double>(h, 20, g.column_spacing);
    put<double>(h, 28, g.row_spacing);
    put<double>(h, 36, g.west_x);
    put<double>(h, 44, g.south_y);
    put<double>(h, 52, 0.0);  // rotation
    put<double>(h, 60, 0.0);  // base
    put<double>(h, 68, 1.0);  // scale divisor
    for (std::size_t k = 0; k < 4; ++k) put<std::int32_t>(h, 140 + 4 * k, 0);
    Statistics unknown{0, kNullValue, kNullValue, kNullValue, static_cast<double>(kNullValue)};
    const auto s = statistics_bytes(unknown);
    std::memcpy(h.data() + kStatisticsOffset, s.data(), s.size());
    put<std::int32_t>(h, 184, 0);
    return h;
}

std::array<std::byte, 28> statistics_bytes(const Statistics& s) {
    std::array<std::byte, 28> out{};
    put<std::int32_t>(out, 0, s.count);
    put<float>(out, 4, s.minimum);
    put<float>(out, 8, s.maximum);
    put<float>(out, 12, s.mean);
    put<float>(out, 16, s.mean);
    put<double>(out, 20, s.std_dev);
    return out;
}

std::optional<Writer> Writer::create(const std::string& path, const Geometry& g) {
    auto file = platform::File::create(path);
    if (!file || !file->write(header_bytes(g))) return std::nullopt;
    return Writer(std::move(*file), g.columns);
}

bool Writer::write_rows(std::int64_t s, std::span<const float> values) {
    return file_.write_at(row_offset(s, columns_), std::as_bytes(values));
}

bool Writer::write_statistics(const Statistics& s) {
    return file_.seek(kStatisticsOffset) && file_.write(statistics_bytes(s));
}

std::optional<Reader> Reader::open(const std::string& path, std::int32_t columns) {
    auto file = platform::File::open_read(path);
    if (!file || columns <= 0) return std::nullopt;
    std::int32_t order = 0;
    if (!file->seek(kStorageOrderOffset) || !platform::read_value(*file, order)) return std::nullopt;
    return Reader(std::move(*file), columns, order == kNorthFirst);
}

bool Reader::read_row(std::int64_t s, std::span<float> out) {
    if (out.size() < static_cast<std::size_t>(columns_)) return false;
    const auto bytes = std::as_writable_bytes(out.first(static_cast<std::size_t>(columns_)));
    return file_.read_at(row_offset(s, columns_), bytes) == bytes.size();
}

bool Reader::read_rows_concurrently(std::int64_t s, std::span<float> out) const {
    const auto bytes = std::as_writable_bytes(out);
    return file_.read_at_concurrently(row_offset(s, columns_), bytes) == bytes.size();
}

bool Reader::holds_rows(std::int64_t rows) {
    const auto size = file_.size();
    if (!size || *size < kHeaderBytes || rows < 0) return false;
    // Divided rather than multiplied, so that no size overflows.
    return (*size - kHeaderBytes) / 4u / static_cast<std::uint64_t>(columns_) >= static_cast<std::uint64_t>(rows);
}

}  // namespace gridlib::working_grid
