// PNG chunks by hand: signature, IHDR, one IDAT, IEND, each with its CRC.
#include "tiles/png_tile.h"

#include <array>
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

bool PngTileEncoder::encode(std::span<const std::uint8_t> rgba, std::uint32_t width, std::uint32_t height) {
    const std::size_t line = std::size_t{width} * 4;
    filtered_.resize((line + 1) * height);
    // The "sub" filter: areas of one colour become runs of zeros, which
    // the fastest deflate level packs well.
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in = rgba.data() + y * line;
        std::uint8_t* f = filtered_.data() + y * (line + 1);
        f[0] = 1;
        std::memcpy(f + 1, in, 4);
        for (std::size_t i = 4; i < line; ++i) f[1 + i] = static_cast<std::uint8_t>(in[i] - in[i - 4]);
    }
    uLongf size = compressBound(static_cast<uLong>(filtered_.size()));
    deflated_.resize(size);
    if (compress2(deflated_.data(), &size, filtered_.data(), static_cast<uLong>(filtered_.size()), 1) != Z_OK)
        return false;

    out_.clear();
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const auto b : kSignature) out_.push_back(static_cast<std::byte>(b));
    std::array<std::uint8_t, 13> header{};
    for (int k = 0; k < 4; ++k) {
        header[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(width >> (24 - 8 * k));
        header[static_cast<std::size_t>(4 + k)] = static_cast<std::uint8_t>(height >> (24 - 8 * k));
    }
    header[8] = 8;  // bits per channel
    header[9] = 6;  // red, green, blue and alpha
    put_chunk(out_, "IHDR", header);
    put_chunk(out_, "IDAT", {deflated_.data(), size});
    put_chunk(out_, "IEND", {});
    return true;
}

}  // namespace gridlib::tiles
