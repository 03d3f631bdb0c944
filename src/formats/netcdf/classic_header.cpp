// Walking a classic netCDF header by its stated lengths (the format's own
// layout: magic, record count, then the lists of dimensions, global
// attributes and variables, each an absent marker or a tag and a count).
#include "formats/netcdf/classic_header.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>

namespace gridlib::formats::netcdf {
namespace {

constexpr std::uint32_t kDimensionTag = 0x0A, kVariableTag = 0x0B, kAttributeTag = 0x0C;

class HeaderWalk {
public:
    HeaderWalk(std::ifstream& in, std::uint64_t size, int version) : in_(in), size_(size), version_(version) {}

    // A count or length: 8 bytes in CDF-5, 4 in the others.
    std::optional<std::uint64_t> count() { return version_ == 5 ? number(8) : number(4); }
    std::optional<std::uint64_t> word() { return number(4); }

    // Passes over n bytes, when the file holds them.
    bool skip(std::uint64_t n) {
        if (n > size_ - at_) return false;
        at_ += n;
        in_.seekg(static_cast<std::streamoff>(at_));
        return static_cast<bool>(in_);
    }
    // Passes over a count of items, each at least `least` bytes long, when
    // the rest of the file can hold them all.
    bool fits(std::uint64_t items, std::uint64_t least) const { return items <= (size_ - at_) / least; }

    bool name() {
        const auto length = count();
        return length && skip(padded(*length));
    }

    bool attributes() {
        const auto list = list_of(kAttributeTag);
        if (!list) return false;
        for (std::uint64_t k = 0; k < *list; ++k) {
            if (!name()) return false;
            const auto type = word();
            if (!type || *type == 0 || *type > 11) return false;
            const auto n = count();
            if (!n || !fits(*n, type_size(*type)) || !skip(padded(*n * type_size(*type)))) return false;
        }
        return true;
    }

    // The count of a list with its tag, 0 for an absent one; nothing when
    // the file cannot hold as many items of at least 4 bytes each.
    std::optional<std::uint64_t> list_of(std::uint32_t tag) {
        const auto t = word();
        const auto n = count();
        if (!t || !n || (*t != tag && !(*t == 0 && *n == 0)) || !fits(*n, 4)) return std::nullopt;
        return n;
    }

    int version() const { return version_; }

private:
    std::optional<std::uint64_t> number(int bytes) {
        std::array<unsigned char, 8> b{};
        if (static_cast<std::uint64_t>(bytes) > size_ - at_) return std::nullopt;
        in_.read(reinterpret_cast<char*>(b.data()), bytes);
        if (!in_) return std::nullopt;
        at_ += static_cast<std::uint64_t>(bytes);
        std::uint64_t v = 0;
        for (int k = 0; k < bytes; ++k) v = v << 8 | b[static_cast<std::size_t>(k)];  // most significant first
        return v;
    }
    static std::uint64_t padded(std::uint64_t n) { return n > UINT64_MAX - 3 ? UINT64_MAX : (n + 3) / 4 * 4; }
    static std::uint64_t type_size(std::uint64_t type) {
        constexpr std::uint64_t kSizes[] = {0, 1, 1, 2, 4, 4, 8, 1, 2, 4, 8, 8};  // by nc_type, 1 to 11
        return kSizes[type];
    }

    std::ifstream& in_;
    std::uint64_t size_;
    std::uint64_t at_ = 0;
    int version_;
};

bool walk(HeaderWalk& h) {
    if (!h.skip(4) || !h.count()) return false;  // magic, record count
    const auto dimensions = h.list_of(kDimensionTag);
    if (!dimensions) return false;
    for (std::uint64_t k = 0; k < *dimensions; ++k) {
        if (!h.name() || !h.count()) return false;
    }
    if (!h.attributes()) return false;
    const auto variables = h.list_of(kVariableTag);
    if (!variables) return false;
    const std::uint64_t id_bytes = h.version() == 5 ? 8 : 4;
    const std::uint64_t begin_bytes = h.version() == 1 ? 4 : 8;
    for (std::uint64_t k = 0; k < *variables; ++k) {
        if (!h.name()) return false;
        const auto ids = h.count();
        if (!ids || !h.fits(*ids, id_bytes) || !h.skip(*ids * id_bytes)) return false;
        if (!h.attributes() || !h.word() || !h.count() || !h.skip(begin_bytes)) return false;
    }
    return true;
}

}  // namespace

bool classic_header_fits(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return true;  // libnetcdf says why it cannot open it
    const auto end = in.tellg();
    std::array<char, 4> magic{};
    in.seekg(0);
    if (end < 4 || !in.read(magic.data(), 4)) return true;
    if (magic[0] != 'C' || magic[1] != 'D' || magic[2] != 'F' || (magic[3] != 1 && magic[3] != 2 && magic[3] != 5))
        return true;
    in.seekg(0);
    HeaderWalk h(in, static_cast<std::uint64_t>(end), magic[3]);
    return walk(h);
}

}  // namespace gridlib::formats::netcdf
