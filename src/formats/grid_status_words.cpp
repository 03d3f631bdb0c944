// The words of the header and grid statuses: a format's own first, then the
// shared ones, then any format's (no two families give one status of a
// routine different meanings; a family may word a shared one its own way).
#include "formats/grid_status_words.h"

#include "formats/driver.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace gridlib::formats {
namespace {

constexpr StatusWords kSharedHeaderStatuses[] = {
    {GRIDLIB_REFUSED, "no descriptor arrays were passed, or memory ran out"},
    {GRIDLIB_NAME_STARTS_WITH_NUL, "the grid file name starts with a NUL character"},
    {GRIDLIB_NAME_TOO_SHORT, "the grid file name is empty or a single character"},
    {GRIDLIB_FILE_MISSING, "the grid file does not exist"},
    {GRIDLIB_FORMAT_UNKNOWN, "the grid format is known neither by the name's extension nor by the first bytes"},
    {GRIDLIB_FILE_TOO_SHORT, "the file is shorter than the 120 bytes its format is recognised by"},
    {GRIDLIB_BINARY_TOO_SHORT, "the file is shorter than its header states"},
    {GRIDLIB_NO_USABLE_SIZE, "the header states no positive column and row count"},
    {GRIDLIB_BAD_BAND_COUNT, "the header states fewer than 1 band or more than 16"},
};

// A refusal of a grid that is no byte image, read as a whole (the reads of
// a window outside the grid are the caller's to explain).
constexpr StatusWords kSharedReadStatuses[] = {
    // The window of a whole grid overlaps none of it when its corners are
    // not finite or fall together.
    {GRIDLIB_REFUSED,
     "the grid was refused: it has a single row or column, its placement is not finite or its cells have no "
     "size, its data file is missing or it is too large"},
    {GRIDLIB_WORKING_GRID_FAILED, "the working grid file could not be written"},
    {GRIDLIB_NOT_HANDLED, "this grid format cannot be read"},
    {GRIDLIB_HEADER_LINES_MISSING, "the file ends within its header lines"},
    {GRIDLIB_COLUMN_SEEK_FAILED, "positioning within the file failed"},
    {GRIDLIB_NO_ROOM, "the file system has no room for the working grid file"},
};

// Why a row of a grid of unknown format could not be read: every cause.
constexpr std::string_view kAnyRowFailureCauses = "it is missing, short, not a number or not validly coded";

// The row of the status that is also a failed positioning.
constexpr std::int64_t kSeekStatusRow = GRIDLIB_ROW_FAILED - GRIDLIB_ROW_SEEK_FAILED;

const Driver* driver_of(const DescriptorView* d) { return d ? driver_for(d->format()) : nullptr; }

// The format's own words, the shared ones, or any driver's: a status
// another format gives keeps its meaning when a descriptor names the wrong one.
std::optional<std::string> words(std::int32_t status, const Driver* driver,
                                 std::span<const StatusWords> Driver::*own, std::span<const StatusWords> shared) {
    if (driver) {
        if (auto w = words_in(driver->*own, status)) return w;
    }
    if (auto w = words_in(shared, status)) return w;
    for (const Driver* any : drivers()) {
        if (auto w = words_in(any->*own, status)) return w;
    }
    return std::nullopt;
}

// "PCIDSK, BIL and BIP": the byte-image formats, in the registry's order.
std::string byte_image_names() {
    std::vector<std::string_view> names;
    for (const Driver* driver : drivers()) {
        if (driver->byte_image_layout) names.push_back(driver->name);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::string row_failure(std::int64_t row, const Driver* driver) {
    const std::string_view causes = driver ? driver->row_failure_causes : kAnyRowFailureCauses;
    return "row " + std::to_string(row) + " could not be read (" + std::string(causes) + ")";
}

}  // namespace

std::optional<std::string> header_status_words(std::int32_t status, const DescriptorView* d) {
    return words(status, driver_of(d), &Driver::header_statuses, kSharedHeaderStatuses);
}

std::optional<std::string> read_status_words(std::int32_t status, const DescriptorView* d) {
    const Driver* driver = driver_of(d);
    if (status == GRIDLIB_REFUSED && driver && driver->byte_image_layout) {
        return byte_image_names() + " byte images are not converted";
    }
    if (status >= GRIDLIB_ROW_FAILED) return words(status, driver, &Driver::read_statuses, kSharedReadStatuses);

    const std::int64_t row = GRIDLIB_ROW_FAILED - static_cast<std::int64_t>(status);
    if (status == GRIDLIB_ROW_SEEK_FAILED) {
        // A format whose rows are positioned reads gives it for a failed
        // positioning too; a grid of fewer rows has no row 2000 to fail.
        const auto seek = driver ? words_in(driver->read_statuses, status)
                                 : words(status, nullptr, &Driver::read_statuses, {});
        if (seek) {
            if (d && d->rows() < kSeekStatusRow) return seek;
            return row_failure(row, driver) + ", or " + *seek;
        }
    }
    return row_failure(row, driver);
}

}  // namespace gridlib::formats
