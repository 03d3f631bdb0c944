// Library statuses turned into messages.
#include "failures.h"

#include "gridlib.h"

namespace rastrify {
namespace {

std::string with_status(const std::string& prefix, const std::string& cause, std::int32_t status) {
    return prefix + cause + " (status " + std::to_string(status) + ")";
}

bool is_byte_image(std::int32_t format) {
    return format == GRIDLIB_FORMAT_PCIDSK || format == GRIDLIB_FORMAT_BIL || format == GRIDLIB_FORMAT_BIP;
}

// What may be wrong with a row depends on how the format writes its values.
// (In a GXF file the stored vectors are rows, whether they run across the
// grid or up and down it.)
std::string row_failure(std::int64_t row, std::int32_t format = GRIDLIB_FORMAT_NONE) {
    const char* why = "it is missing, short or not a number";
    if (format == GRIDLIB_FORMAT_GXF) why = "it is missing, short, not a number or not validly coded";
    if (format == GRIDLIB_FORMAT_GRID_TEXT) why = "it is missing, short or not validly coded";
    return "row " + std::to_string(row) + " could not be read (" + why + ")";
}

// The sizes come from the library, which found them out.
std::string library_room_failure(const std::string& what, std::int32_t status) {
    std::int64_t needed = 0, available = 0;
    gridlib_room_shortage(&needed, &available);
    return room_failure(what, status, available, needed);
}

constexpr std::int64_t kSeekStatusRow = GRIDLIB_ROW_FAILED - GRIDLIB_ROW_SEEK_FAILED;  // 2000

}  // namespace

std::string grid_read_failure(std::int32_t status, std::int32_t format, std::int32_t rows) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure("working grid file", status);
    std::string cause;
    if (status == GRIDLIB_REFUSED && is_byte_image(format)) {
        cause = "PCIDSK, BIL and BIP byte images are not converted";
    } else if (status == GRIDLIB_REFUSED) {
        cause = "the grid was refused: it has a single row or column, its data file is missing or it is too large";
    } else if (status == GRIDLIB_WORKING_GRID_FAILED) {
        cause = "the working grid file could not be written";
    } else if (status == GRIDLIB_NOT_HANDLED) {
        cause = "this grid format cannot be read";
    } else if (status == GRIDLIB_GXF_NO_GRID_LINE) {
        cause = "no line holding #GRID was found";
    } else if (status == GRIDLIB_HEADER_LINES_MISSING) {
        cause = "the file ends within its header lines";
    } else if (status == GRIDLIB_COLUMN_SEEK_FAILED || (status == GRIDLIB_ROW_SEEK_FAILED && rows < kSeekStatusRow)) {
        // A grid of fewer rows has no row 2000 to fail.
        cause = "positioning within the file failed";
    } else if (status == GRIDLIB_ROW_SEEK_FAILED) {
        cause = row_failure(kSeekStatusRow) + ", or positioning within the file failed";
    } else if (status < GRIDLIB_ROW_FAILED) {
        cause = row_failure(GRIDLIB_ROW_FAILED - static_cast<std::int64_t>(status), format);
    } else {
        cause = "the reader failed";
    }
    return with_status(" The grid data could not be read : ", cause, status);
}

std::string histogram_failure(std::int32_t status) {
    std::string cause;
    switch (status) {
    case GRIDLIB_REFUSED:
        cause = "the colour limits were refused (the lower limit is the null value, as when only -M is given, "
                "or lies above the upper limit)";
        break;
    case GRIDLIB_HISTOGRAM_TOO_SMALL:
        cause = "the grid has fewer than 2 columns or rows";
        break;
    case GRIDLIB_HISTOGRAM_UNREADABLE:
        cause = "the working grid file could not be read";
        break;
    default:
        cause = "the histogram routine failed";
    }
    return with_status(" The histogram could not be computed : ", cause, status);
}

std::string image_failure(std::int32_t status, const std::string& kind) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure(kind + " file", status);
    std::string cause;
    switch (status) {
    case GRIDLIB_REFUSED:
        cause = "the colour limits do not ascend";
        break;
    case GRIDLIB_IMAGE_TOO_LARGE:
        cause = "the image would be too large for the " + kind + " format";
        break;
    case GRIDLIB_IMAGE_WRITE_FAILED:
        cause = "the image file could not be written";
        break;
    case GRIDLIB_IMAGE_GRID_UNREADABLE:
        cause = "the working grid file could not be read";
        break;
    default:
        cause = "the image writer failed";
    }
    return with_status(" The " + kind + " file could not be written : ", cause, status);
}

std::string world_file_failure(std::int32_t status, const std::string& name) {
    const std::string cause = status == GRIDLIB_REFUSED ? "the grid's cell size is zero or not a number"
                                                        : "the file could not be written";
    return with_status(" The world file " + name + " could not be written : ", cause, status);
}

std::string gradient_failure(std::int32_t status) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure("gradient file", status);
    std::string cause;
    switch (status) {
    case GRIDLIB_REFUSED:
        cause = "the cell spacing of the grid is not a positive number";
        break;
    case GRIDLIB_GRADIENT_WRITE_FAILED:
        cause = "the gradient file could not be written";
        break;
    case GRIDLIB_GRADIENT_GRID_UNREADABLE:
        cause = "the working grid file could not be read";
        break;
    default:
        cause = "the gradient writer failed";
    }
    return with_status(" The slopes of the shaded relief could not be computed : ", cause, status);
}

std::string room_failure(const std::string& what, std::int32_t status, std::int64_t available, std::int64_t needed) {
    return with_status(" The " + what + " could not be written : ",
                       "the file system has room for " + std::to_string(available) + " bytes and it needs " +
                           std::to_string(needed),
                       status);
}

}  // namespace rastrify
