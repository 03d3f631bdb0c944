// The registry: every driver, in the order in which their content tests are
// tried. Strong signatures come first, a fixed text at offset 0 that no
// other format starts with. The plausibility tests of the binary layouts
// come last, because they only check that a few numbers look sensible, which
// many a binary file does by chance; among them the order decides which of
// two plausible readings wins. Drivers known only by extension close the list.
#include "formats/driver.h"
#include "formats/grid_selection.h"

#include <algorithm>

namespace gridlib::formats {

// Each defined in its family's folder (some families have two codes).
extern const Driver gxf_driver, pcidsk_driver, grid_text_driver, bgd_driver, tool_driver, surfer6_driver,
    surfer7_driver, esri_ascii_driver, k_blocks_driver, binary_512_driver, binary_24_driver, er_mapper_driver,
    bil_driver, bip_driver, geotiff_driver, netcdf_driver;

namespace {

constexpr const Driver* kRegistry[] = {
    &gxf_driver,         // "#"
    &pcidsk_driver,      // "PCIDSK  "
    &grid_text_driver,   // "$$GRID$$"
    &bgd_driver,         // "$$BGD"
    &tool_driver,        // "TOOL"
    &surfer6_driver,     // "DSBB"
    &surfer7_driver,     // "DSRB"
    &esri_ascii_driver,  // "ncols" or "NCOLS"
    &k_blocks_driver,    // "K" and two positive reals
    &binary_512_driver,  // plausible element size and byte order, or record markers
    &binary_24_driver,   // plausible reals
    &er_mapper_driver,
    &bil_driver,
    &bip_driver,
    &geotiff_driver,  // by signature or extension only
    &netcdf_driver,   // known by its signatures, tried before any extension
};

}  // namespace

std::span<const Driver* const> drivers() { return kRegistry; }

const Driver* driver_for(FormatCode format) {
    const auto* hit = std::find_if(std::begin(kRegistry), std::end(kRegistry),
                                   [&](const Driver* d) { return d->format == format; });
    return hit == std::end(kRegistry) ? nullptr : *hit;
}

std::optional<CellPoint> cell_point_of(FormatCode format) {
    const Driver* driver = driver_for(format);
    return driver ? std::optional<CellPoint>(driver->cell_point) : std::nullopt;
}

Status plan_rows(const std::string& grid_name, const DescriptorView& d, const rows::IndexRange& rows,
                 const std::string& scratch_directory, rows::ReadPlan& plan) {
    const Driver* driver = driver_for(d.format());
    if (!driver || !driver->plan_rows) return GRIDLIB_NOT_HANDLED;
    plan = rows::ReadPlan{};
    plan.data_name = grid_name;  // a driver whose values lie elsewhere names their file
    return driver->plan_rows({grid_name, d, rows, scratch_directory}, plan);
}

bool is_geographic(const std::string& grid_name, const DescriptorView& d) {
    const Driver* driver = driver_for(d.format());
    return driver && driver->is_geographic && driver->is_geographic(grid_name, d);
}

std::vector<std::string> grid_files(const std::string& grid_name, FormatCode format) {
    std::vector<std::string> files{split_selection(grid_name).file};
    if (const Driver* driver = driver_for(format)) {
        if (driver->header_file) files.push_back(driver->header_file(grid_name));
        if (driver->data_file) {
            if (auto data = driver->data_file(grid_name)) files.push_back(std::move(*data));
        }
    }
    return files;
}

Status read_byte_image_row(const platform::BorrowedDescriptor& file, const DescriptorView& d, std::int64_t row,
                           std::span<const BandArray> arrays) {
    const Driver* driver = driver_for(d.format());
    if (!driver || !driver->byte_image_layout) return GRIDLIB_REFUSED;
    const auto layout = driver->byte_image_layout(d);
    return layout ? read_byte_image_row(file, *layout, row, arrays) : GRIDLIB_REFUSED;
}

std::optional<FormatCode> format_by_extension(std::string_view name) {
    if (name.size() <= 4) return std::nullopt;
    const std::string_view last4 = name.substr(name.size() - 4);
    for (const Driver* driver : kRegistry) {
        if (std::ranges::find(driver->extensions, last4) != driver->extensions.end()) return driver->format;
    }
    return std::nullopt;
}

std::optional<FormatCode> format_by_signature(std::span<const std::byte> first) {
    const std::string_view bytes(reinterpret_cast<const char*>(first.data()), first.size());
    for (const Driver* driver : kRegistry) {
        for (const std::string_view signature : driver->signatures) {
            if (bytes.starts_with(signature)) return driver->format;
        }
    }
    return std::nullopt;
}

std::int32_t format_by_content(std::span<const std::byte, kFirstBytesSize> first, DescriptorView& d) {
    const FirstBytes bytes(first);
    for (const Driver* driver : kRegistry) {
        for (const ContentTest holds : driver->content_tests) {
            if (holds(bytes, d)) return static_cast<std::int32_t>(driver->format);
        }
    }
    return 0;
}

}  // namespace gridlib::formats

namespace gridlib {

bool is_byte_image(FormatCode format) {
    const formats::Driver* driver = formats::driver_for(format);
    return driver && driver->byte_image_layout;
}

}  // namespace gridlib
