// Header reader of ER Mapper rasters: the ".ers" text header whose data lie
// in a separate file. The header is nested blocks of "keyword = value" lines;
// we do not follow the nesting but look for each keyword anywhere in a line,
// honouring only the blocks whose contents would be mistaken for ours.
#include "headers/binary_fields.h"
#include "headers/header_lines.h"
#include "headers/header_reader.h"
#include "text/fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace gridlib::headers {
namespace {

constexpr std::int32_t kIncomplete = -2005;
constexpr std::int32_t kBadBandCount = -2021;
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
    text::FDCDARR(field, v);
    return v[0];
}

std::int32_t integer_of(std::string_view field) {
    std::array<std::int32_t, 1> v{};
    text::FDCIARR(field, v);
    return v[0];
}

// Null values at or below the working grid's null are that null; ER Mapper
// writers often state -1.0e+75, which we take without converting it.
float null_value_of(const std::string& value) {
    if (value.find("E+75") != std::string::npos) return kNullValue;
    const double v = real_of(value);
    return v < double(kNullValue) ? kNullValue : narrow(v);
}

// Cell types by the text they contain, longest match first: unsigned and
// signed variants of a size read alike, and reals of 4 bytes are the default.
void apply_cell_type(const std::string& value, DescriptorView& d) {
    const auto has = [&](const char* s) { return value.find(s) != std::string::npos; };
    if (has("8BYTEREAL")) d.value_type() = 4;
    else if (has("8BITINTEGER")) d.value_type() = 3;
    else if (has("16BITINTEGER")) d.value_type() = 2;
    else if (has("INTEGER")) d.value_type() = 1;
}

// An angle written degrees:minutes:seconds, or plain decimal degrees. The
// sign is taken from the text of the degrees so that -0:30:00 is south or
// west of zero, not north or east of it.
double angle_of(std::string value) {
    text::FTRIM(value);
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
    const std::size_t length = text::FTRIM(value);
    return length >= 2 ? value.substr(1, length - 2) : std::string();
}

struct Registration {
    std::optional<double> cell_x, cell_y;
    bool seen() const { return cell_x || cell_y; }
};

}  // namespace

Status read_er_mapper_header(platform::File& file, DescriptorView& d) {
    d.band_count() = 1;
    d.selected_band() = 1;
    d.header_bytes() = 0;
    d.value_type() = 0;
    d.storage_order() = 1;
    d.byte_order() = 1;  // ER Mapper's default is most significant byte first

    int keywords = 0;
    Registration reg;
    bool geographic = false;
    bool skipping = false;
    std::size_t band_names = 0;

    HeaderLine line;
    while (line.read(file)) {
        if (skipping) {
            // Warp control and region blocks hold coordinates of their own
            // that must not be taken for the grid's.
            skipping = !line.contains("WARPCONTROL END") && !line.contains("REGIONINFO END");
        } else if (line.contains("HEADEROFFSET")) {
            d.header_bytes() = integer_of(value_of(line, 13));
        } else if (line.contains("COORDINATETYPE = LL") || line.contains("COORDINATETYPE = LATLONG")) {
            geographic = true;
        } else if (line.contains("NULLCELLVALUE")) {
            d.null_value() = null_value_of(value_of(line, 14));
            ++keywords;
        } else if (line.contains("CELLTYPE")) {
            apply_cell_type(value_of(line, 9), d);
            ++keywords;
        } else if (line.contains("XDIMENSION")) {
            d.column_spacing() = narrow(real_of(value_of(line, 11)));
            ++keywords;
        } else if (line.contains("YDIMENSION")) {
            d.row_spacing() = narrow(real_of(value_of(line, 11)));
            ++keywords;
        } else if (line.contains("NROFLINES")) {
            d.rows() = integer_of(value_of(line, 10));
            ++keywords;
        } else if (line.contains("NROFCELLSPERLINE")) {
            d.columns() = integer_of(value_of(line, 16));
            ++keywords;
        } else if (line.contains("BYTEORDER")) {
            d.byte_order() = value_of(line, 11).find("MSB") != std::string::npos ? 1 : 0;
        } else if (line.contains("METERSX") || line.contains("EASTINGS")) {
            d.west_x() = narrow(real_of(value_of(line, 9)));
            ++keywords;
        } else if (line.contains("METERSY") || line.contains("NORTHINGS")) {
            d.south_y() = narrow(real_of(value_of(line, 9)));
            ++keywords;
        } else if (geographic && (line.contains("LATITUDE") || line.contains("LONGITUDE"))) {
            const float angle = narrow(angle_of(value_of(line, 9, 256)));
            (line.contains("LONGITUDE") ? d.west_x() : d.south_y()) = angle;
            ++keywords;
        } else if (line.contains("ORIGINCELLX") || line.contains("REGISTRATIONCELLX")) {
            reg.cell_x = real_of(value_of(line, 11));
        } else if (line.contains("ORIGINCELLY") || line.contains("REGISTRATIONCELLY")) {
            reg.cell_y = real_of(value_of(line, 11));
        } else if (line.contains("NROFBANDS")) {
            // The descriptor has room for 16 band names; a file with more
            // bands, or none, is refused rather than half described.
            const std::int32_t bands = integer_of(value_of(line, 10));
            if (bands < 1 || bands > static_cast<std::int32_t>(kBandNames)) return kBadBandCount;
            d.band_count() = bands;
            for (int k = 1; k <= bands; ++k) d.set_band_name(static_cast<std::size_t>(k - 1), default_band_name(k));
        } else if (line.contains("BEGIN") && line.contains("BANDID")) {
            if (!line.read(file)) break;
            if (band_names == kBandNames) return kBadBandCount;
            d.set_band_name(band_names++, band_name_of(value_of(line, 10)));
        } else if (line.contains("WARPCONTROL BEGIN") || line.contains("REGIONINFO BEGIN")) {
            skipping = true;
        }
        if (line.contains("DATASETHEADER END")) break;
    }

    if (keywords < kKeywordsNeeded) return kIncomplete;
    if (d.columns() <= 0 || d.rows() <= 0) return kNoUsableSize;

    // Without a registration cell the stated coordinates are those of the
    // top-left corner; one coordinate stated alone leaves the other at 0.
    if (!reg.seen()) d.storage_order() = -2;
    const double cell_x = reg.cell_x.value_or(0.0), cell_y = reg.cell_y.value_or(0.0);
    d.west_x() = narrow(d.west_x() - cell_x * d.column_spacing());
    d.south_y() = narrow(d.south_y() - (d.rows() - cell_y) * d.row_spacing());
    derive_far_edges(d);

    // 4-byte integer cells are read in thousandths; the null value must match.
    if (d.value_type() == 1) d.null_value() = d.null_value() / 1000;
    if (cell_y > 0.01) d.storage_order() = -2;
    return 0;
}

}  // namespace gridlib::headers
