// The histogram file's bytes and its writing.
#include "image/histogram_file.h"

#include "gridlib.h"
#include "image/pending_file.h"

#include <bit>

namespace gridlib {
namespace {

void append_u32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xffu));
}

}  // namespace

std::string histogram_file_bytes(float lower, float upper, std::span<const std::int32_t, kLevels> levels) {
    std::string out(2, '\0');
    out.reserve(kHistogramFileSize);
    append_u32(out, std::bit_cast<std::uint32_t>(lower));
    append_u32(out, std::bit_cast<std::uint32_t>(upper));
    for (const std::int32_t level : levels) append_u32(out, static_cast<std::uint32_t>(level));
    return out;
}

std::int32_t write_histogram_file(const std::string& path, float lower, float upper,
                                  std::span<const std::int32_t, kLevels> levels) {
    const std::string bytes = histogram_file_bytes(lower, upper, levels);
    PendingFile out(path);
    if (!out.is_open() || !out.file().write(std::as_bytes(std::span(bytes.data(), bytes.size()))) || !out.commit())
        return GRIDLIB_IMAGE_WRITE_FAILED;
    return GRIDLIB_OK;
}

}  // namespace gridlib
