// A format driver holds what gridlib knows of one grid format: how its files
// are recognised (name extensions, a test of the first bytes), how its header
// fills the descriptor, and how its values are to be read. Where a format
// gives a descriptor word a meaning of its own, its driver names that meaning
// and is the only code that writes or reads it.
//
// Adding a format is one folder (its driver and whatever only it needs) and
// one row in the registry table.
#pragma once

#include "descriptor/grid_descriptor.h"
#include "formats/first_bytes.h"
#include "formats/grid_placement.h"
#include "formats/status_words.h"
#include "platform/file.h"
#include "formats/byte_image_rows.h"
#include "rows/index_range.h"
#include "rows/read_plan.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gridlib::formats {

using Status = std::int32_t;

// True when the first bytes show the driver's format. A test may also set
// the descriptor words its format keeps for the header reader (the variant
// of a family, say).
using ContentTest = bool (*)(const FirstBytes& first, DescriptorView& d);

// What the grid reader asks of a driver: the values of the grid whose header
// is in d (named grid_name), of which the grid rows `rows` are kept. A
// driver that needs room on disk to reorder the values takes it in
// scratch_directory, where the working grid goes.
struct RowRequest {
    const std::string& grid_name;
    const DescriptorView& d;
    const rows::IndexRange& rows;
    const std::string& scratch_directory;
};

// Why a stored row could not be read, in the words of a format of written
// numbers or raw elements; a format that codes its values says more.
inline constexpr std::string_view kRowFailureCauses = "it is missing, short or not a number";

// Values within this distance of a header's null value count as null, so that
// a null written as text or stored in another precision is still one.
inline constexpr double kNullTolerance = 0.1;

struct Driver {
    FormatCode format = FormatCode::none;
    // The format's name in messages.
    std::string_view name = {};
    // Every driver states it; see CellPoint.
    CellPoint cell_point = CellPoint::centre;
    // Name extensions, in their exact spellings only (".asc" and ".ASC", never ".Asc").
    std::span<const std::string_view> extensions = {};
    // Tried in the registry's order, each driver's own in their order.
    std::span<const ContentTest> content_tests = {};
    // A signature the format's files always start with: a file that does is
    // of this format whatever its name (GMT names its netCDF grids ".grd").
    // Tried before the name's extension; given as the prefixes of the first
    // bytes that mark it.
    std::span<const std::string_view> signatures = {};
    // The file the header lives in when it is not the grid file itself.
    std::string (*header_file)(const std::string& grid_name) = nullptr;
    // The file the values live in when it is not the grid file itself;
    // nothing when there is none.
    std::optional<std::string> (*data_file)(const std::string& grid_name) = nullptr;
    // Fills the descriptor, already preset for all formats, from the header
    // file open at offset 0; 0 or the format's failure code. Without it the
    // presets are all the descriptor gets.
    Status (*read_header)(platform::File& file, DescriptorView& d) = nullptr;
    // For formats read through a library that opens files by name: fills the
    // descriptor, preset as above, from the grid named grid_name (which may
    // carry a selection, see formats/grid_selection.h). Used instead of
    // read_header when set.
    Status (*read_named_header)(const std::string& grid_name, DescriptorView& d) = nullptr;
    // The grid's placement from the header's own fields, in double
    // precision, for the grid d describes as the header reader left it;
    // nothing when the header does not give it. Without it the placement
    // comes from the descriptor (see grid_placement.h).
    std::optional<GridPlacement> (*read_placement)(const std::string& grid_name, const DescriptorView& d) = nullptr;
    // True when the header says the grid's coordinates are longitude and
    // latitude in degrees. The descriptor has no word for it, and none of
    // its words may change meaning, so the header is read again. Without
    // it the format cannot say, and its grids count as projected.
    bool (*is_geographic)(const std::string& grid_name, const DescriptorView& d) = nullptr;
    // Opens the values and fills the plan, or returns the read's failure
    // status. Without it the format's values cannot be read.
    Status (*plan_rows)(const RowRequest& request, rows::ReadPlan& plan) = nullptr;
    // Byte images: where the rows of the image d describes lie and how their
    // bands are arranged; empty when d's words name no arrangement the format
    // has. Set for byte images alone: it is what makes a format one (see
    // is_byte_image).
    std::optional<ByteImageLayout> (*byte_image_layout)(const DescriptorView& d) = nullptr;
    // The words of the statuses that its header reader and its row planner
    // give in a sense of its own; those every format shares have theirs in
    // formats/status_words.cpp.
    std::span<const StatusWords> header_statuses = {};
    std::span<const StatusWords> read_statuses = {};
    std::string_view row_failure_causes = kRowFailureCauses;
};

// Every driver, in the order their content tests are tried.
std::span<const Driver* const> drivers();

// The driver of a format code; nullptr for codes no format has.
const Driver* driver_for(FormatCode format);

// The cell point of a format's coordinates; nothing for codes no format has.
std::optional<CellPoint> cell_point_of(FormatCode format);

// Plans the reads of the grid whose header is in d through its format's
// driver: GRIDLIB_NOT_HANDLED when the format has no row path.
Status plan_rows(const std::string& grid_name, const DescriptorView& d, const rows::IndexRange& rows,
                 const std::string& scratch_directory, rows::ReadPlan& plan);

// Whether the grid whose header d holds (as read_grid_header left it from
// grid_name) lies in longitude and latitude, as its driver reads the header;
// false for formats that cannot say.
bool is_geographic(const std::string& grid_name, const DescriptorView& d);

// The files a grid of the format consists of: the grid file, and its header
// or data file where the format keeps them apart.
std::vector<std::string> grid_files(const std::string& grid_name, FormatCode format);

// Reads stored row `row` of the byte image d describes into the arrays,
// through its format's driver: GRIDLIB_REFUSED for a format that is no byte
// image, otherwise as read_byte_image_row.
Status read_byte_image_row(const platform::BorrowedDescriptor& file, const DescriptorView& d, std::int64_t row,
                           std::span<const BandArray> arrays);

// The format a name's last four characters name; names of four characters
// or fewer have no extension.
std::optional<FormatCode> format_by_extension(std::string_view name);

// The format whose signature the first bytes (as many as the file has) start with.
std::optional<FormatCode> format_by_signature(std::span<const std::byte> first);

// The format the first bytes show, or 0 when no content test holds. Content
// tests may write descriptor words of their own (see the drivers).
std::int32_t format_by_content(std::span<const std::byte, kFirstBytesSize> first, DescriptorView& d);

}  // namespace gridlib::formats
