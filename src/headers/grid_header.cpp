// Opening a grid: its format from the name's extension or the first 120
// bytes, the file its header lives in, and the hand-over to the format's reader.
#include "headers/grid_header.h"

#include "headers/format_detection.h"
#include "headers/header_reader.h"
#include "platform/file.h"

#include <array>
#include <cstddef>
#include <string>

namespace gridlib {
namespace {

using headers::Status;

constexpr Status kNameStartsWithNul = -1000;
constexpr Status kNameTooShort = -1001;
constexpr Status kFileMissing = -1002;
constexpr Status kFormatUnknown = -1005;
constexpr Status kFileTooShort = -1006;
constexpr Status kHeaderFileMissing = -2001;

// The grid file name ends at the first NUL, or else at its last non-blank.
// Returns 0, or the status of a name that cannot be one.
Status take_name(std::string_view text, std::string& name) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        if (nul == 0) return kNameStartsWithNul;
        name = text.substr(0, nul);
        return 0;
    }
    const auto last = text.find_last_not_of(' ');
    if (last == std::string_view::npos || last < 1) return kNameTooShort;
    name = text.substr(0, last + 1);
    return 0;
}

// Everything after the name check; the caller does the closing work.
Status open_and_read(std::string_view name_text, DescriptorView& d) {
    std::string name;
    if (const Status status = take_name(name_text, name); status != 0) return status;
    if (!platform::file_exists(name)) return kFileMissing;

    if (const auto format = headers::format_by_extension(name)) {
        d.set_format(*format);
    } else {
        std::array<std::byte, headers::kFirstBytesSize> first{};
        {
            auto probe = platform::File::open_read(name);
            if (!probe || !probe->read_exact(first)) return kFileTooShort;
        }
        if (const std::int32_t code = headers::format_by_content(first, d); code != 0) {
            d.format_code() = code;
        } else if (d.format_code() == 0) {
            return kFormatUnknown;
        }
        // Otherwise the caller's fallback code stands, whatever it is.
    }

    std::string header_name = name;
    const FormatCode format = d.format();
    if (format == FormatCode::bil || format == FormatCode::bip) {
        // The raster keeps its header in a ".hdr" file beside it.
        header_name = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) + ".hdr";
        if (!platform::file_exists(header_name)) return kHeaderFileMissing;
    }
    // A file that cannot be opened reads as empty: its reader then fails as
    // it does for an empty or truncated header.
    platform::File file = platform::File::open_read(header_name).value_or(platform::File{});

    // Presets for every format: no scaling, statistics all equal to the
    // null value the caller passed in.
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    const float entry_null = d.null_value();
    d.set_statistics_to(entry_null);
    d.colour_min() = entry_null;
    d.colour_max() = entry_null;

    const headers::HeaderReader reader = headers::reader_for(d.format_code());
    return reader ? reader(file, d) : 0;
}

// Done on every return: the size and geometry of the input as read are kept
// in entries that later stages leave alone, and the window words are cleared.
void closing_work(DescriptorView& d) {
    d.input_geometry(0) = d.west_x();
    d.input_geometry(1) = d.east_x();
    d.input_geometry(2) = d.south_y();
    d.input_geometry(3) = d.north_y();
    d.input_geometry(4) = d.column_spacing();
    d.input_geometry(5) = d.row_spacing();
    for (int k = 0; k < 4; ++k) d.window_word(k) = 0;
    d.columns_copy() = d.columns();
    d.rows_copy() = d.rows();
}

}  // namespace

std::int32_t GRDRDH(std::string_view name_text, DescriptorView d) {
    const Status status = open_and_read(name_text, d);
    closing_work(d);
    return status;
}

}  // namespace gridlib
