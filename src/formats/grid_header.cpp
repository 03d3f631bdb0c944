// Opening a grid: its format from the name's extension or the first bytes,
// the file its header lives in, and the hand-over to the format's driver.
#include "formats/grid_header.h"

#include "formats/driver.h"
#include "formats/grid_selection.h"
#include "platform/file.h"

#include <array>
#include <cstddef>

namespace gridlib {
namespace {

using formats::Status;

// Sets the format code from the signature of a format that states its own
// kind whatever the name says, then the name, then the first bytes; a
// caller's fallback code stands when none tells, whatever it is.
Status recognise(const std::string& file_name, DescriptorView& d) {
    std::array<std::byte, formats::kFirstBytesSize> first{};
    bool have_first = false;
    {
        auto probe = platform::File::open_read(file_name);
        if (probe) {
            const std::size_t got = probe->read(first);
            have_first = got == first.size();
            if (const auto signed_format = formats::format_by_signature(std::span(first).first(got))) {
                d.set_format(*signed_format);
                return GRIDLIB_OK;
            }
        }
    }
    if (const auto format = formats::format_by_extension(file_name)) {
        d.set_format(*format);
        return GRIDLIB_OK;
    }
    if (!have_first) return GRIDLIB_FILE_TOO_SHORT;
    if (const std::int32_t code = formats::format_by_content(first, d); code != 0) {
        d.format_code() = code;
    } else if (d.format_code() == 0) {
        return GRIDLIB_FORMAT_UNKNOWN;
    }
    return GRIDLIB_OK;
}

// Presets for every format: no scaling, statistics and colour limits all
// equal to the null value the caller passed in.
void preset(DescriptorView& d) {
    d.base() = 0.0f;
    d.scale_divisor() = 1.0f;
    const float entry_null = d.null_value();
    d.set_statistics_to(entry_null);
    d.colour_min() = entry_null;
    d.colour_max() = entry_null;
}

Status recognise_and_read(const std::string& name, DescriptorView& d) {
    const formats::GridSelection selected = formats::split_selection(name);
    if (!platform::file_exists(selected.file)) return GRIDLIB_FILE_MISSING;
    if (const Status s = recognise(selected.file, d); s != GRIDLIB_OK) return s;

    const formats::Driver* driver = formats::driver_for(d.format());
    if (driver && driver->read_named_header) {
        preset(d);
        return driver->read_named_header(name, d);
    }
    std::string header_name = name;
    if (driver && driver->header_file) {
        header_name = driver->header_file(name);
        if (!platform::file_exists(header_name)) return GRIDLIB_HDR_FILE_MISSING;
    }
    // A file that cannot be opened reads as empty: its reader then fails as
    // it does for an empty or truncated header.
    platform::File file = platform::File::open_read(header_name).value_or(platform::File{});
    preset(d);
    return driver && driver->read_header ? driver->read_header(file, d) : GRIDLIB_OK;
}

}  // namespace

std::int32_t read_grid_header(const std::string& path, DescriptorView d) {
    const Status status = recognise_and_read(path, d);
    record_input_geometry(d);
    return status;
}

void record_input_geometry(DescriptorView d) {
    d.input_geometry(0) = d.west_x();
    d.input_geometry(1) = d.east_x();
    d.input_geometry(2) = d.south_y();
    d.input_geometry(3) = d.north_y();
    d.input_geometry(4) = d.column_spacing();
    d.input_geometry(5) = d.row_spacing();
    for (int k = 0; k < 4; ++k) d.window_word(k) = 0;
    d.columns_read() = d.columns();
    d.rows_read() = d.rows();
}

}  // namespace gridlib
