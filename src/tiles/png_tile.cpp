// PNG chunks by hand: signature, IHDR, PLTE, tRNS, one IDAT, IEND, each
// with its CRC.
#include "tiles/png_tile.h"

#include <cstring>
#include <zlib.h>

namespace gridlib::tiles {
namespace {

void put_u32(std::vector<std::byte>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::byte>((v >> shift) & 0xff));
}

void put_chunk(std::vector<std::byte>& out, const char (&type)[5], std::span<const std::uint8_t> data) {
    put_u32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t type_at = out.size();
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::byte>(type[k]));
    const auto* bytes = reinterpret_cast<const std::byte*>(data.data());
    out.insert(out.end(), bytes, bytes + data.size());
    const auto* crc_from = reinterpret_cast<const Bytef*>(out.data() + type_at);
    put_u32(out, static_cast<std::uint32_t>(crc32(0, crc_from, static_cast<uInt>(4 + data.size()))));
}

}  // namespace

PngTileEncoder::PngTileEncoder(std::span<const std::array<std::uint8_t, 3>> palette, std::uint32_t width,
                               std::uint32_t height)
    : width_(width), height_(height) {
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto b : kSignature) head_.push_back(static_cast<std::byte>(b));
    std::array<std::uint8_t, 13> header{};
    for (int k = 0; k < 4; ++k) {
        header[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(width >> (24 - 8 * k));
        header[static_cast<std::size_t>(4 + k)] = static_cast<std::uint8_t>(height >> (24 - 8 * k));
    }
    header[8] = 8;  // bits per index
    header[9] = 3;  // palette indices
    put_chunk(head_, "IHDR", header);
    std::vector<std::uint8_t> entries;
    for (const auto& c : palette) entries.insert(entries.end(), c.begin(), c.end());
    put_chunk(head_, "PLTE", entries);
    const std::uint8_t transparent_first = 0;
    put_chunk(head_, "tRNS", {&transparent_first, 1});
}

bool PngTileEncoder::encode(std::span<const std::uint8_t> indices) {
    // No filter, as palette images are best stored: runs of one index stay runs.
    const std::size_t line = width_;
    filtered_.resize((line + 1) * height_);
    for (std::size_t y = 0; y < height_; ++y) {
        std::uint8_t* f = filtered_.data() + y * (line + 1);
        f[0] = 0;
        std::memcpy(f + 1, indices.data() + y * line, line);
    }
    uLongf size = compressBound(static_cast<uLong>(filtered_.size()));
    deflated_.resize(size);
    if (compress2(deflated_.data(), &size, filtered_.data(), static_cast<uLong>(filtered_.size()), 1) != Z_OK)
        return false;
    out_ = head_;
    put_chunk(out_, "IDAT", {deflated_.data(), size});
    put_chunk(out_, "IEND", {});
    return true;
}

}  // namespace gridlib::tiles
