// PCIDSK images: a 512-byte file header of fixed-width text fields, two
// blocks of header per channel, a segment pointer table that leads to the
// georeferencing, and the image itself, one byte per channel and cell in one
// of four interleavings. Offsets and sizes are counted in 512-byte blocks,
// the first block being block 1.
#include "formats/driver.h"
#include "text/fields.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

namespace gridlib::formats {
namespace {

constexpr std::int64_t kBlock = 512;

// Byte position of block b.
constexpr std::int64_t block_offset(std::int64_t b) { return (b - 1) * kBlock; }

// The interleaving is kept in the value-type word.
enum class Interleave : std::int32_t {
    pixel = GRIDLIB_PCIDSK_PIXEL,
    line = GRIDLIB_PCIDSK_LINE,
    band = GRIDLIB_PCIDSK_BAND,
    file = GRIDLIB_PCIDSK_FILE,
};
void set_interleave(DescriptorView& d, Interleave i) { d.value_type() = static_cast<std::int32_t>(i); }
std::optional<Interleave> interleave(const DescriptorView& d) {
    if (d.value_type() < GRIDLIB_PCIDSK_PIXEL || d.value_type() > GRIDLIB_PCIDSK_FILE) return std::nullopt;
    return static_cast<Interleave>(d.value_type());
}

// A fixed-width field of the file header.
struct Field {
    std::size_t from;
    std::size_t width;
};
constexpr Field kChannelHeaderBlock{336, 16};   // where the channel headers begin
constexpr Field kChannelHeaderBlocks{352, 8};   // how many blocks they take
constexpr Field kInterleave{360, 8};
constexpr Field kChannels{376, 8};
constexpr Field kColumns{384, 8};
constexpr Field kRows{392, 8};
constexpr Field kCellWidth{408, 17};  // its last character is the first of the next field
constexpr Field kCellHeight{424, 16};
constexpr Field kTableBlock{440, 16};  // the segment pointer table
constexpr Field kTableBlocks{456, 8};

class FileHeader {
public:
    explicit FileHeader(platform::File& file) {
        // A short file leaves blanks, which read as 0: the header is never refused.
        bytes_.fill(' ');
        file.read_at(0, std::as_writable_bytes(std::span<char>(bytes_)));
    }
    std::string_view text(Field f) const { return {bytes_.data() + f.from, f.width}; }
    bool blank(Field f) const { return text(f).find_first_not_of(' ') == std::string_view::npos; }
    std::int32_t integer(Field f) const { return text::integer_value(text(f)); }
    float real(Field f) const { return text::float_value(text(f)); }

private:
    std::array<char, kBlock> bytes_;
};

std::optional<Interleave> interleave_named(std::string_view word) {
    if (word.starts_with("FILE")) return Interleave::file;
    if (word.starts_with("BAND")) return Interleave::band;
    if (word.starts_with("LINE")) return Interleave::line;
    if (word.starts_with("PIXEL")) return Interleave::pixel;
    return std::nullopt;
}

// Where the image data begin. Without a segment pointer table they follow
// the channel headers; with one, they follow the table, which is also what
// the header's own start-of-image field says.
std::int64_t image_data_offset(const FileHeader& h) {
    if (!h.blank(kTableBlocks)) {
        return block_offset(std::int64_t{h.integer(kTableBlock)} + h.integer(kTableBlocks));
    }
    if (h.blank(kChannelHeaderBlocks)) return kBlock;
    return block_offset(std::int64_t{h.integer(kChannelHeaderBlock)} + h.integer(kChannelHeaderBlocks));
}

// Each channel header is two blocks; its first block becomes the band name.
void read_channel_headers(platform::File& file, std::int32_t first_block, std::int32_t channels, DescriptorView& d) {
    if (first_block <= 0) {
        d.set_band_name(0, "");
        return;
    }
    std::array<char, kBlock> header;
    for (std::int32_t k = 0; k < channels; ++k) {
        const std::size_t got = file.read_at(static_cast<std::uint64_t>(block_offset(first_block) + 2 * kBlock * k),
                                             std::as_writable_bytes(std::span<char>(header)));
        d.set_band_name(static_cast<std::size_t>(k), std::string_view(header.data(), got));
    }
}

// A segment pointer: 32 characters, the first one the segment's state ("A"
// active, "L" locked), then its type, name, first block and size in blocks.
constexpr std::size_t kPointerBytes = 32;
constexpr std::string_view kLockedGeoreferencing = "L150";

struct Segment {
    std::int64_t first_block = 0;
    std::int64_t blocks = 0;
};

// The first locked georeferencing segment of the table, every entry looked
// at. The table is read a block at a time, and its end, or the file's, ends the scan.
std::optional<Segment> find_georeferencing(platform::File& file, std::int32_t table_block, std::int32_t table_blocks) {
    std::array<char, kBlock> block;
    for (std::int64_t b = 0; b < table_blocks; ++b) {
        const std::size_t got = file.read_at(static_cast<std::uint64_t>(block_offset(table_block + b)),
                                             std::as_writable_bytes(std::span<char>(block)));
        for (std::size_t at = 0; at + kPointerBytes <= got; at += kPointerBytes) {
            const std::string_view pointer(block.data() + at, kPointerBytes);
            if (pointer.starts_with(kLockedGeoreferencing)) {
                return Segment{text::integer_value(pointer.substr(12, 11)), text::integer_value(pointer.substr(23, 9))};
            }
        }
        if (got < block.size()) break;
    }
    return std::nullopt;
}

// The georeferencing segment's data follow its two-block segment header:
// the kind of georeferencing ("POLY..." and, from byte 16, its units
// "PIX..."), then 26-character coefficient fields, 55 for x and 55 for y.
// The first coefficient of each is the position of the first pixel.
constexpr std::size_t kKindBytes = 212;
constexpr std::size_t kCoefficientBytes = 26;
constexpr std::size_t kFirstX = kKindBytes;
constexpr std::size_t kFirstY = kKindBytes + 55 * kCoefficientBytes;

Status read_georeferencing(platform::File& file, std::int32_t table_block, std::int32_t table_blocks, DescriptorView& d) {
    const auto segment = find_georeferencing(file, table_block, table_blocks);
    if (!segment || segment->first_block < 1 || segment->blocks < 1) return GRIDLIB_PCIDSK_NO_GEOREFERENCING;
    std::array<char, kFirstY + kCoefficientBytes> data;
    const auto data_offset = static_cast<std::uint64_t>(block_offset(segment->first_block + 2));
    if (file.read_at(data_offset, std::as_writable_bytes(std::span<char>(data))) < data.size()) {
        return GRIDLIB_PCIDSK_NO_GEOREFERENCING;
    }
    const std::string_view record(data.data(), data.size());
    if (!record.starts_with("POLY") || record.substr(16, 3) != "PIX") return GRIDLIB_PCIDSK_OTHER_GEOREFERENCING;
    d.west_x() = text::float_value(record.substr(kFirstX, kCoefficientBytes));
    d.north_y() = text::float_value(record.substr(kFirstY, kCoefficientBytes));
    d.derive_east_from_columns();
    d.derive_south_from_rows();
    d.set_statistics_to(d.null_value());
    return GRIDLIB_OK;
}

Status read_header(platform::File& file, DescriptorView& d) {
    d.band_count() = 1;
    d.selected_band() = 1;
    d.data_offset() = 0;
    set_interleave(d, Interleave::band);
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.set_byte_order(ByteOrder::most_significant_first);
    d.null_value() = 0.0f;

    const FileHeader h(file);
    const std::int64_t offset = image_data_offset(h);
    // An offset the word cannot hold is stored as one no row can have.
    using Word = std::numeric_limits<std::int32_t>;
    d.data_offset() = offset >= Word::min() && offset <= Word::max() ? static_cast<std::int32_t>(offset) : -1;
    if (const auto i = interleave_named(h.text(kInterleave))) set_interleave(d, *i);
    d.band_count() = h.integer(kChannels);
    d.columns() = h.integer(kColumns);
    d.rows() = h.integer(kRows);
    d.column_spacing() = h.real(kCellWidth);
    d.row_spacing() = h.real(kCellHeight);

    // The descriptor has room for 16 band names.
    if (d.band_count() > static_cast<std::int32_t>(kBandNames)) return GRIDLIB_BAD_BAND_COUNT;
    read_channel_headers(file, h.integer(kChannelHeaderBlock), d.band_count(), d);

    // Without a segment pointer table the image has no position: the extent stays.
    if (h.integer(kTableBlock) <= 0) return GRIDLIB_OK;
    return read_georeferencing(file, h.integer(kTableBlock), h.integer(kTableBlocks), d);
}

// How a row of the image is stored. Pixel-interleaved rows are padded to
// whole blocks; a band-interleaved image holds its bands one after another,
// rows of one band each.
std::optional<ByteImageLayout> byte_image_layout(const DescriptorView& d) {
    const auto i = interleave(d);
    if (!i) return std::nullopt;
    ByteImageLayout l{.data_offset = d.data_offset(), .columns = d.columns_read(), .bands = d.band_count(),
                            .rows = d.rows_read()};
    const std::int64_t all_bands = l.columns * l.bands;
    switch (*i) {
        case Interleave::pixel:
            l.arrangement = BandArrangement::pixel_interleaved;
            l.row_bytes = all_bands < 0 ? all_bands : (all_bands + kBlock - 1) / kBlock * kBlock;
            break;
        case Interleave::line:
            l.arrangement = BandArrangement::line_interleaved;
            l.row_bytes = all_bands;
            break;
        case Interleave::band:
            l.arrangement = BandArrangement::band_sequential;
            l.row_bytes = l.columns;
            break;
        case Interleave::file:
            l.arrangement = BandArrangement::single_band;
            l.row_bytes = l.columns;
            break;
    }
    return l;
}

bool pcidsk_signature(const FirstBytes& b, DescriptorView&) { return b.starts_with("PCIDSK  "); }

constexpr std::string_view kExtensions[] = {".pix", ".PIX"};
constexpr ContentTest kContentTests[] = {pcidsk_signature};

constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_PCIDSK_NO_GEOREFERENCING, "the image has no locked georeferencing segment, or that segment is missing"},
    {GRIDLIB_PCIDSK_OTHER_GEOREFERENCING, "the image is georeferenced otherwise than by a pixel polynomial"},
};

}  // namespace

extern constinit const Driver pcidsk_driver{
    .format = FormatCode::pcidsk,
    .name = "PCIDSK",
    // The georeferencing names the upper-left corner of the upper-left cell.
    .cell_point = CellPoint::upper_left_corner,
    .extensions = kExtensions,
    .content_tests = kContentTests,
    .read_header = read_header,
    .byte_image_layout = byte_image_layout,
    .header_statuses = kHeaderStatuses,
};

}  // namespace gridlib::formats
