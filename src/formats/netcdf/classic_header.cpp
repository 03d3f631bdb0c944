// Walking a classic netCDF header by its stated lengths (the format's own
// layout: magic, record count, then the lists of dimensions, global
// attributes and variables, each an absent marker or a tag and a count),
// and placing each variable's numbers where libnetcdf reads them.
#include "formats/netcdf/classic_header.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

namespace gridlib::formats::netcdf {
namespace {

constexpr std::uint32_t kDimensionTag = 0x0A, kVariableTag = 0x0B, kAttributeTag = 0x0C;
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t saturated_sum(std::uint64_t a, std::uint64_t b) { return a > kMax - b ? kMax : a + b; }
std::uint64_t saturated_product(std::uint64_t a, std::uint64_t b) { return b != 0 && a > kMax / b ? kMax : a * b; }
std::uint64_t padded(std::uint64_t n) { return n > kMax - 3 ? kMax : (n + 3) / 4 * 4; }

std::uint64_t type_size(std::uint64_t type) {
    constexpr std::uint64_t kSizes[] = {0, 1, 1, 2, 4, 4, 8, 1, 2, 4, 8, 8};  // by nc_type, 1 to 11
    return kSizes[type];
}

// Where a variable's numbers lie: `bytes` of them from `begin`, or, along
// the unlimited dimension, `bytes` in each record from `begin` on.
struct Numbers {
    std::uint64_t begin = 0;
    std::uint64_t bytes = 0;
    bool records = false;
};

struct Layout {
    std::uint64_t records = 0;
    bool streaming = false;  // a record count left for the file's size to tell
    std::vector<Numbers> variables;
};

class HeaderWalk {
public:
    HeaderWalk(std::ifstream& in, std::uint64_t size, int version) : in_(in), size_(size), version_(version) {}

    // A count or length: 8 bytes in CDF-5, 4 in the others.
    std::optional<std::uint64_t> count() { return version_ == 5 ? number(8) : number(4); }
    std::optional<std::uint64_t> word() { return number(4); }
    // A variable's offset in the file: 4 bytes in CDF-1, 8 in the others.
    std::optional<std::uint64_t> offset() { return version_ == 1 ? number(4) : number(8); }
    // The record count that says the records run to the end of the file.
    std::uint64_t streaming() const { return version_ == 5 ? kMax : 0xFFFFFFFFu; }

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

    std::ifstream& in_;
    std::uint64_t size_;
    std::uint64_t at_ = 0;
    int version_;
};

std::optional<Layout> walk(HeaderWalk& h) {
    Layout layout;
    if (!h.skip(4)) return std::nullopt;  // magic
    const auto records = h.count();
    if (!records) return std::nullopt;
    layout.records = *records;
    layout.streaming = *records == h.streaming();
    const auto dimensions = h.list_of(kDimensionTag);
    if (!dimensions) return std::nullopt;
    std::vector<std::uint64_t> lengths;
    for (std::uint64_t k = 0; k < *dimensions; ++k) {
        const auto length = h.name() ? h.count() : std::nullopt;
        if (!length) return std::nullopt;
        lengths.push_back(*length);
    }
    if (!h.attributes()) return std::nullopt;
    const auto variables = h.list_of(kVariableTag);
    if (!variables) return std::nullopt;
    for (std::uint64_t k = 0; k < *variables; ++k) {
        if (!h.name()) return std::nullopt;
        const auto ids = h.count();
        if (!ids || !h.fits(*ids, 4)) return std::nullopt;
        Numbers numbers;
        std::uint64_t cells = 1;
        for (std::uint64_t d = 0; d < *ids; ++d) {
            const auto id = h.count();
            if (!id || *id >= lengths.size()) return std::nullopt;
            if (d == 0 && lengths[*id] == 0) numbers.records = true;  // the record dimension leads
            else cells = saturated_product(cells, lengths[*id]);
        }
        if (!h.attributes()) return std::nullopt;
        const auto type = h.word();
        if (!type || *type == 0 || *type > 11 || !h.count()) return std::nullopt;  // the stated size: see below
        const auto begin = h.offset();
        if (!begin) return std::nullopt;
        numbers.begin = *begin;
        numbers.bytes = saturated_product(cells, type_size(*type));
        layout.variables.push_back(numbers);
    }
    return layout;
}

// The end of the last number of any variable, as libnetcdf places them: a
// record holds each record variable's numbers padded to 4 bytes, a single
// record variable's unpadded. The size each variable's entry states is not
// taken: libnetcdf computes its own, and writes a capped one for a variable
// of 4 GiB or more.
std::uint64_t numbers_end(const Layout& layout) {
    std::uint64_t record = 0;
    const Numbers* first_record = nullptr;
    for (const Numbers& v : layout.variables) {
        if (!v.records) continue;
        if (!first_record) first_record = &v;
        record = saturated_sum(record, padded(v.bytes));
    }
    if (first_record && record == padded(first_record->bytes)) record = first_record->bytes;

    std::uint64_t end = 0;
    for (const Numbers& v : layout.variables) {
        if (v.bytes == 0) continue;
        if (!v.records) {
            end = std::max(end, saturated_sum(v.begin, v.bytes));
        } else if (layout.records > 0 && !layout.streaming) {
            // Records left for the file's size to count are as many as it holds.
            const std::uint64_t last = saturated_product(layout.records - 1, record);
            end = std::max(end, saturated_sum(saturated_sum(v.begin, last), v.bytes));
        }
    }
    return end;
}

}  // namespace

ClassicFile check_classic_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return ClassicFile::fits;  // libnetcdf says why it cannot open it
    const auto end = in.tellg();
    std::array<char, 4> magic{};
    in.seekg(0);
    if (end < 4 || !in.read(magic.data(), 4)) return ClassicFile::fits;
    if (magic[0] != 'C' || magic[1] != 'D' || magic[2] != 'F' || (magic[3] != 1 && magic[3] != 2 && magic[3] != 5))
        return ClassicFile::fits;
    in.seekg(0);
    const auto size = static_cast<std::uint64_t>(end);
    HeaderWalk h(in, size, magic[3]);
    const auto layout = walk(h);
    if (!layout) return ClassicFile::header_unfit;
    return numbers_end(*layout) > size ? ClassicFile::numbers_cut_off : ClassicFile::fits;
}

}  // namespace gridlib::formats::netcdf
