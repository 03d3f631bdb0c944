// BIL and BIP rasters (bands interleaved by line or by pixel): the values in
// the raster file, one byte per band and cell, and beside it a ".hdr" text
// file of "keyword value" lines as GIS packages write them (GDAL's EHdr
// driver among them). Keywords this reader does not need, such as BYTEORDER,
// LAYOUT or BANDROWBYTES, are passed over.
#include "formats/driver.h"
#include "formats/header_lines.h"
#include "text/fields.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace gridlib::formats {
namespace {

// The bits per value ("NBITS") are kept in the value-type word, the bytes
// before the first row ("SKIPBYTES") in the data-offset word.
std::int32_t& bits_per_value(DescriptorView& d) { return d.value_type(); }
std::int32_t& skip_bytes(DescriptorView& d) { return d.data_offset(); }
std::int32_t skip_bytes(const DescriptorView& d) { return d.data_offset(); }

// The next line that is not empty. Empty lines are passed over like blank
// ones: only the end of the file ends the header.
bool next_line(HeaderLine& line, platform::File& file) {
    while (!line.read(file)) {
        if (file.peek_byte() < 0) return false;
    }
    return true;
}

// A line's first word, upper-cased, and the first word after it: "NROWS 50
// rows" holds the value 50. TABs separate like blanks.
struct KeywordLine {
    std::string_view keyword;
    std::string_view value;
};
KeywordLine split(std::string_view line) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) return {line, {}};
    std::string_view rest = line.substr(blank);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    return {line.substr(0, blank), rest.substr(0, rest.find(' '))};
}

// A keyword counts when it begins with the name: NCOLSX is NCOLS.
void take(const KeywordLine& k, DescriptorView& d) {
    const auto is = [&](std::string_view name) { return k.keyword.starts_with(name); };
    if (is("NCOLS")) d.columns() = text::integer_value(k.value);
    else if (is("NROWS")) d.rows() = text::integer_value(k.value);
    else if (is("NBANDS")) d.band_count() = text::integer_value(k.value);
    else if (is("NBITS")) bits_per_value(d) = text::integer_value(k.value);
    else if (is("SKIPBYTES")) skip_bytes(d) = text::integer_value(k.value);
    else if (is("XDIM")) d.column_spacing() = text::float_value(k.value);
    else if (is("YDIM")) d.row_spacing() = text::float_value(k.value);
    else if (is("ULXMAP")) d.west_x() = text::float_value(k.value);   // the centre of the upper-left cell
    else if (is("ULYMAP")) d.north_y() = text::float_value(k.value);
}

Status read_header(platform::File& file, DescriptorView& d) {
    d.band_count() = 0;
    skip_bytes(d) = 0;
    bits_per_value(d) = 8;
    d.columns() = 0;
    d.rows() = 0;
    d.column_spacing() = 0.0f;
    d.row_spacing() = 0.0f;
    d.null_value() = 0.0f;

    HeaderLine line;
    while (next_line(line, file)) {
        const std::string_view text = line.text();
        if (line.blank() || text.starts_with('#') || text.starts_with(';')) continue;  // comments
        take(split(text), d);
    }

    if (d.columns() <= 0 || d.rows() <= 0) return GRIDLIB_NO_USABLE_SIZE;
    if (!(d.column_spacing() > 0) || !(d.row_spacing() > 0)) return GRIDLIB_HDR_BAD_CELL_SIZE;
    if (d.band_count() <= 0) return GRIDLIB_BAD_BAND_COUNT;
    if (skip_bytes(d) < 0) return GRIDLIB_HDR_NEGATIVE_SKIP;
    d.derive_east_from_columns();
    d.derive_south_from_rows();
    d.set_statistics_to(d.null_value());
    return GRIDLIB_OK;
}

// A BIL row holds the bands one after another, a BIP row the bands of each
// cell together; either way a row is columns x bands bytes, the first after
// SKIPBYTES.
ByteImageLayout rows_of(const DescriptorView& d, BandArrangement arrangement) {
    const std::int64_t columns = d.columns_read(), bands = d.band_count();
    return {.arrangement = arrangement, .data_offset = skip_bytes(d), .columns = columns, .bands = bands,
            .rows = d.rows_read(), .row_bytes = columns * bands};
}
std::optional<ByteImageLayout> bil_rows(const DescriptorView& d) {
    return rows_of(d, BandArrangement::line_interleaved);
}
std::optional<ByteImageLayout> bip_rows(const DescriptorView& d) {
    return rows_of(d, BandArrangement::pixel_interleaved);
}

// The header lives in a ".hdr" file beside the raster: the raster's name with
// its last four characters replaced.
std::string hdr_file(const std::string& raster) {
    return raster.substr(0, raster.size() >= 4 ? raster.size() - 4 : 0) + ".hdr";
}

constexpr std::string_view kBilExtensions[] = {".bil", ".BIL"};
constexpr std::string_view kBipExtensions[] = {".bip", ".BIP"};

constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_HDR_FILE_MISSING, "the .hdr header file beside the image is missing"},
    {GRIDLIB_HDR_BAD_CELL_SIZE, "the .hdr header's XDIM or YDIM is missing or not positive"},
    {GRIDLIB_HDR_NEGATIVE_SKIP, "the .hdr header's SKIPBYTES is negative"},
};

}  // namespace

extern constinit const Driver bil_driver{
    .format = FormatCode::bil,
    .name = "BIL",
    // ULXMAP and ULYMAP name the centre of the upper-left cell.
    .cell_point = CellPoint::centre,
    .extensions = kBilExtensions,
    .header_file = hdr_file,
    .read_header = read_header,
    .byte_image_layout = bil_rows,
    .header_statuses = kHeaderStatuses,
};

extern constinit const Driver bip_driver{
    .format = FormatCode::bip,
    .name = "BIP",
    .cell_point = CellPoint::centre,
    .extensions = kBipExtensions,
    .header_file = hdr_file,
    .read_header = read_header,
    .byte_image_layout = bip_rows,
    .header_statuses = kHeaderStatuses,
};

}  // namespace gridlib::formats
