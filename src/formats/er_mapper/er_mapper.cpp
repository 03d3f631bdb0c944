// ER Mapper rasters: the ".ers" text header, whose values lie in a separate
// data file, rows of all bands interleaved. The header is nested blocks of
// "keyword = value" lines; we do not follow the nesting but look for each
// keyword anywhere in a line, honouring only the blocks whose contents would
// be mistaken for ours.
#include "formats/binary_fields.h"
#include "formats/driver.h"
#include "formats/header_lines.h"
#include "rows/storage_order.h"
#include "text/fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace gridlib::formats {
namespace {

constexpr std::int32_t kIncomplete = GRIDLIB_ERS_INCOMPLETE;
constexpr std::int32_t kBadBandCount = GRIDLIB_BAD_BAND_COUNT;

// The cell type is kept in the value-type word. Codes 1 to 4 are the usual
// type of each size (signed 32 and 16 bits, unsigned 8 bits, 8-byte reals);
// the integer types of the other sign have codes of their own.
enum class CellType : std::int32_t {
    real32 = GRIDLIB_ERS_REAL32,
    int32_thousandths = GRIDLIB_ERS_INT32_THOUSANDTHS,
    int16 = GRIDLIB_ERS_INT16,
    uint8 = GRIDLIB_ERS_UINT8,
    real64 = GRIDLIB_ERS_REAL64,
    uint16 = GRIDLIB_ERS_UINT16,
    int8 = GRIDLIB_ERS_INT8,
    uint32_thousandths = GRIDLIB_ERS_UINT32_THOUSANDTHS,
};
CellType cell_type(const DescriptorView& d) {
    const std::int64_t code = rows::magnitude(d.value_type());
    const bool named = code >= GRIDLIB_ERS_INT32_THOUSANDTHS && code <= GRIDLIB_ERS_UINT32_THOUSANDTHS;
    return named ? static_cast<CellType>(code) : CellType::real32;
}
bool in_thousandths(CellType t) { return t == CellType::int32_thousandths || t == CellType::uint32_thousandths; }
void set_cell_type(DescriptorView& d, CellType t) { d.value_type() = static_cast<std::int32_t>(t); }
// Fewer counted keyword lines than this and the header cannot describe a grid.
constexpr int kKeywordsNeeded = 7;

// The value of a line: the text after its first "=", or when there is none
// after the given column, as a blank-padded text of the given width.
std::string value_of(const HeaderLine& line, std::size_t column, std::size_t width = 80) {
    const std::string_view t = line.text();
    const auto eq = t.find('=');
    const std::size_t start = eq == std::string_view::npos ? column : eq + 1;
    std::string v(width, ' ');
    if (start < t.size()) {
        const std::string_view rest = t.substr(start, width);
        std::copy(rest.begin(), rest.end(), v.begin());
    }
    return v;
}

double real_of(std::string_view field) {
    std::array<double, 1> v{};
    text::parse_doubles(field, v);
    return v[0];
}

std::int32_t integer_of(std::string_view field) {
    std::array<std::int32_t, 1> v{};
    text::parse_integers(field, v);
    return v[0];
}

// Null values at or below the working grid's null are that null; ER Mapper
// writers often state -1.0e+75, which we take without converting it.
float null_value_of(const std::string& value) {
    if (value.find("E+75") != std::string::npos) return kNullValue;
    const double v = real_of(value);
    return v < double(kNullValue) ? kNullValue : narrow(v);
}

// Cell types by the text they contain, longest match first; reals of 4
// bytes are the default. Integers keep the sign their type states; other
// integer texts read as the usual variant of their size.
void apply_cell_type(const std::string& value, DescriptorView& d) {
    const auto has = [&](const char* s) { return value.find(s) != std::string::npos; };
    if (has("8BYTEREAL")) set_cell_type(d, CellType::real64);
    // "UNSIGNED8BITINTEGER" holds "SIGNED8BITINTEGER".
    else if (has("UNSIGNED8BITINTEGER")) set_cell_type(d, CellType::uint8);
    else if (has("SIGNED8BITINTEGER")) set_cell_type(d, CellType::int8);
    else if (has("8BITINTEGER")) set_cell_type(d, CellType::uint8);
    else if (has("UNSIGNED16BITINTEGER")) set_cell_type(d, CellType::uint16);
    else if (has("16BITINTEGER")) set_cell_type(d, CellType::int16);
    else if (has("UNSIGNED32BITINTEGER")) set_cell_type(d, CellType::uint32_thousandths);
    else if (has("INTEGER")) set_cell_type(d, CellType::int32_thousandths);
}

// An angle written degrees:minutes:seconds, or plain decimal degrees. The
// sign is taken from the text of the degrees so that -0:30:00 is south or
// west of zero, not north or east of it.
double angle_of(std::string value) {
    text::justify_left(value);
    std::array<std::string_view, 3> part{};
    std::string_view rest(value);
    for (auto& p : part) {
        const auto colon = rest.find(':');
        p = rest.substr(0, colon);
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    const double degrees = real_of(part[0]);
    const double fraction = (real_of(part[1]) + real_of(part[2]) / 60.0) / 60.0;
    const auto sign_at = part[0].find_first_not_of(' ');
    const bool negative = degrees < 0 || (sign_at != std::string_view::npos && part[0][sign_at] == '-');
    return negative ? -(std::abs(degrees) + fraction) : degrees + fraction;
}

std::string default_band_name(int k) {
    char name[16];
    std::snprintf(name, sizeof name, "Band %2d", k);
    return name;
}

// The name of a band-id block is its value line's text between the quotes.
std::string band_name_of(std::string value) {
    const std::size_t length = text::justify_left(value);
    return length >= 2 ? value.substr(1, length - 2) : std::string();
}

struct Registration {
    std::optional<double> cell_x, cell_y;
    bool seen() const { return cell_x || cell_y; }
};

// The registration point and cell sizes as written, which the descriptor
// holds as 32-bit reals: at projected coordinates of 1e7 those are a metre apart.
struct WrittenPlacement {
    std::optional<double> x, y, column_width, row_height;
};

// What the header lines have told so far, besides the descriptor entries.
struct Scan {
    int keywords = 0;  // lines counted towards a complete header
    Registration registration;
    WrittenPlacement written;
    bool geographic = false;
    bool skipping = false;  // inside a block whose coordinates are not the grid's
    std::size_t band_names = 0;
    bool ended = false;     // a line of length 0 ended the header early
};

// Takes one keyword line into the descriptor. The first keyword found wins;
// a band-id block reads its value line from the file. Returns 0, or the
// failure that ends the header.
Status take_keyword(HeaderLine& line, platform::File& file, DescriptorView& d, Scan& scan) {
    if (line.contains("HEADEROFFSET")) {
        d.data_offset() = integer_of(value_of(line, 13));
    } else if (line.contains("COORDINATETYPE = LL") || line.contains("COORDINATETYPE = LATLONG")) {
        scan.geographic = true;
    } else if (line.contains("NULLCELLVALUE")) {
        d.null_value() = null_value_of(value_of(line, 14));
        ++scan.keywords;
    } else if (line.contains("CELLTYPE")) {
        apply_cell_type(value_of(line, 9), d);
        ++scan.keywords;
    } else if (line.contains("XDIMENSION")) {
        scan.written.column_width = real_of(value_of(line, 11));
        d.column_spacing() = narrow(*scan.written.column_width);
        ++scan.keywords;
    } else if (line.contains("YDIMENSION")) {
        scan.written.row_height = real_of(value_of(line, 11));
        d.row_spacing() = narrow(*scan.written.row_height);
        ++scan.keywords;
    } else if (line.contains("NROFLINES")) {
        d.rows() = integer_of(value_of(line, 10));
        ++scan.keywords;
    } else if (line.contains("NROFCELLSPERLINE")) {
        d.columns() = integer_of(value_of(line, 16));
        ++scan.keywords;
    } else if (line.contains("BYTEORDER")) {
        d.set_byte_order(value_of(line, 11).find("MSB") != std::string::npos ? ByteOrder::most_significant_first
                                                                              : ByteOrder::least_significant_first);
    } else if (line.contains("METERSX") || line.contains("EASTINGS")) {
        scan.written.x = real_of(value_of(line, 9));
        d.west_x() = narrow(*scan.written.x);
        ++scan.keywords;
    } else if (line.contains("METERSY") || line.contains("NORTHINGS")) {
        scan.written.y = real_of(value_of(line, 9));
        d.south_y() = narrow(*scan.written.y);
        ++scan.keywords;
    } else if (scan.geographic && (line.contains("LATITUDE") || line.contains("LONGITUDE"))) {
        const double angle = angle_of(value_of(line, 9, 256));
        const bool longitude = line.contains("LONGITUDE");
        (longitude ? scan.written.x : scan.written.y) = angle;
        (longitude ? d.west_x() : d.south_y()) = narrow(angle);
        ++scan.keywords;
    } else if (line.contains("ORIGINCELLX") || line.contains("REGISTRATIONCELLX")) {
        scan.registration.cell_x = real_of(value_of(line, 11));
    } else if (line.contains("ORIGINCELLY") || line.contains("REGISTRATIONCELLY")) {
        scan.registration.cell_y = real_of(value_of(line, 11));
    } else if (line.contains("NROFBANDS")) {
        // The descriptor has room for 16 band names; a file with more
        // bands, or none, is refused rather than half described.
        const std::int32_t bands = integer_of(value_of(line, 10));
        if (bands < 1 || bands > static_cast<std::int32_t>(kBandNames)) return kBadBandCount;
        d.band_count() = bands;
        for (int k = 1; k <= bands; ++k) d.set_band_name(static_cast<std::size_t>(k - 1), default_band_name(k));
    } else if (line.contains("BEGIN") && line.contains("BANDID")) {
        if (!line.read(file)) {
            scan.ended = true;
            return GRIDLIB_OK;
        }
        if (scan.band_names == kBandNames) return kBadBandCount;
        d.set_band_name(scan.band_names++, band_name_of(value_of(line, 10)));
    } else if (line.contains("WARPCONTROL BEGIN") || line.contains("REGIONINFO BEGIN")) {
        scan.skipping = true;
    }
    return GRIDLIB_OK;
}

// Without a registration cell the stated coordinates are those of the
// top-left corner; one coordinate stated alone leaves the other at 0.
void place_grid(DescriptorView& d, const Registration& reg) {
    if (!reg.seen()) d.set_storage_order(StorageOrder::rows_from_north_west);
    const double cell_x = reg.cell_x.value_or(0.0), cell_y = reg.cell_y.value_or(0.0);
    d.west_x() = narrow(d.west_x() - cell_x * d.column_spacing());
    d.south_y() = narrow(d.south_y() - (d.rows() - cell_y) * d.row_spacing());
    derive_far_edges(d);
    if (cell_y > 0.01) d.set_storage_order(StorageOrder::rows_from_north_west);
}

// Reads the header lines into d and scan, and checks that they describe a grid.
Status scan_header(platform::File& file, DescriptorView& d, Scan& scan) {
    d.band_count() = 1;
    d.selected_band() = 1;
    d.data_offset() = 0;
    set_cell_type(d, CellType::real32);
    d.set_storage_order(StorageOrder::rows_from_south_west);
    d.set_byte_order(ByteOrder::most_significant_first);  // ER Mapper's default

    HeaderLine line;
    while (line.read(file)) {
        if (scan.skipping) {
            // Warp control and region blocks hold coordinates of their own
            // that must not be taken for the grid's.
            scan.skipping = !line.contains("WARPCONTROL END") && !line.contains("REGIONINFO END");
        } else if (const Status s = take_keyword(line, file, d, scan); s != GRIDLIB_OK) {
            return s;
        }
        if (scan.ended || line.contains("DATASETHEADER END")) break;
    }

    if (scan.keywords < kKeywordsNeeded) return kIncomplete;
    if (d.columns() <= 0 || d.rows() <= 0) return GRIDLIB_NO_USABLE_SIZE;
    return GRIDLIB_OK;
}

Status read_header(platform::File& file, DescriptorView& d) {
    Scan scan;
    if (const Status s = scan_header(file, d, scan); s != GRIDLIB_OK) return s;
    place_grid(d, scan.registration);
    // 4-byte integer cells are read in thousandths; the null value must match.
    if (in_thousandths(cell_type(d))) d.null_value() = d.null_value() / 1000;
    return GRIDLIB_OK;
}

// The placement place_grid gives, from the numbers as written; nothing when
// one of them is not written (the descriptor's then holds whatever the
// caller left in it).
std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView& d) {
    Scan scan;
    if (!read_again(grid_name, d, scan_header, scan)) return std::nullopt;
    const WrittenPlacement& w = scan.written;
    if (!w.x || !w.y || !w.column_width || !w.row_height) return std::nullopt;
    const double cell_x = scan.registration.cell_x.value_or(0.0), cell_y = scan.registration.cell_y.value_or(0.0);
    const double west = *w.x - cell_x * *w.column_width;
    const double south = *w.y - (d.rows() - cell_y) * *w.row_height;
    return placement_from_point(CellPoint::lower_left_corner, west, south, *w.column_width, *w.row_height, d.rows());
}

bool in_longitude_latitude(const std::string& grid_name, const DescriptorView&) {
    auto file = platform::File::open_read(grid_name);
    if (!file) return false;
    GridDescriptor scratch;
    DescriptorView again = scratch.view();
    Scan scan;
    return scan_header(*file, again, scan) == GRIDLIB_OK && scan.geographic;
}

// The header names a.ers, the data lie in a, or else in a.erm.
std::optional<std::string> data_file(const std::string& header) {
    std::string data = header;
    if (data.size() >= 4 && (data.ends_with(".ers") || data.ends_with(".ERS"))) data.resize(data.size() - 4);
    if (platform::file_exists(data)) return data;
    data += ".erm";
    if (platform::file_exists(data)) return data;
    return std::nullopt;
}

rows::ElementKind element_kind(CellType t) {
    switch (t) {
        case CellType::real64: return rows::ElementKind::real64;
        case CellType::uint8: return rows::ElementKind::uint8;
        case CellType::int16: return rows::ElementKind::int16;
        case CellType::int32_thousandths: return rows::ElementKind::int32_thousandths;
        case CellType::uint16: return rows::ElementKind::uint16;
        case CellType::int8: return rows::ElementKind::int8;
        case CellType::uint32_thousandths: return rows::ElementKind::uint32_thousandths;
        case CellType::real32: break;
    }
    return rows::ElementKind::real32;
}

// The rows of all bands interleave, band after band; the selected band's
// rows are read, northern row first.
Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    const auto data = data_file(request.grid_name);
    if (!data) return GRIDLIB_REFUSED;
    auto file = platform::File::open_read(*data);
    if (!file) return GRIDLIB_REFUSED;

    const rows::ElementLayout layout{element_kind(cell_type(d)), d.most_significant_first(), false};
    const auto row_bytes = static_cast<__int128>(layout.stored_bytes(static_cast<std::uint64_t>(d.columns())));
    const __int128 first = (static_cast<__int128>(d.selected_band()) - 1) * row_bytes + d.data_offset();
    const __int128 stride = static_cast<__int128>(d.band_count()) * row_bytes;
    constexpr __int128 kMax = std::numeric_limits<std::int64_t>::max();
    if (first > kMax || first < -kMax || stride > kMax || stride < -kMax) return GRIDLIB_REFUSED;

    const rows::RowPlacement placement{static_cast<std::int64_t>(first), static_cast<std::int64_t>(stride),
                                       static_cast<std::uint64_t>(row_bytes), GRIDLIB_ROW_SEEK_FAILED};
    plan.rules = rows::ValueRules::matching_null(d.null_value(), rows::kExactNullTolerance);
    plan.north_first = true;
    plan.data_name = *data;
    return rows::plan_row_reads(std::move(*file), layout, placement, d.rows(), request.rows, plan);
}

constexpr std::string_view kExtensions[] = {".ers", ".ERS"};

constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_ERS_INCOMPLETE, "the .ers header lacks some of the entries a grid needs"}};
// Its rows are positioned reads: the status of row 2000's failure is also a
// failed positioning.
constexpr StatusWords kReadStatuses[] = {{GRIDLIB_ROW_SEEK_FAILED, "positioning within the file failed"}};

}  // namespace

extern constinit const Driver er_mapper_driver{
    .format = FormatCode::er_mapper,
    .name = "ER Mapper",
    // The registration point less its registration cell is the grid's
    // outer corner, and the reader keeps the south-western one.
    .cell_point = CellPoint::lower_left_corner,
    .extensions = kExtensions,
    .data_file = data_file,
    .read_header = read_header,
    .read_placement = read_placement,
    .is_geographic = in_longitude_latitude,
    .plan_rows = plan_rows,
    .header_statuses = kHeaderStatuses,
    .read_statuses = kReadStatuses,
};

}  // namespace gridlib::formats

