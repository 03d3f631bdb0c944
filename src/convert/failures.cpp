// Library statuses turned into messages: the library's words for a status,
// set into the converter's own sentences.
#include "convert/failures.h"

#include "gridlib.h"

#include <array>
#include <optional>
#include <string_view>

namespace gridlib::convert {
namespace {

constexpr std::string_view kFormatUnknown = " The grid file format could not be determined : ";

std::string with_status(const std::string& prefix, const std::string& cause, std::int32_t status) {
    return prefix + cause + " (status " + std::to_string(status) + ")";
}

// The library's words for a status of the routine; nothing for a status it
// has none for. ihead describes the grid, where the routine read one.
std::optional<std::string> library_words(std::int32_t routine, std::int32_t status,
                                         const std::int32_t* ihead = nullptr) {
    std::array<char, GRIDLIB_STATUS_TEXT_SIZE> text{};
    const std::int32_t length = text.size();
    std::int32_t result = GRIDLIB_REFUSED;
    gridlib_status_text(&routine, &status, ihead, text.data(), &length, &result);
    if (result != GRIDLIB_OK) return std::nullopt;
    return std::string(text.data());
}

// The sizes come from the library, which found them out.
std::string library_room_failure(const std::string& what, std::int32_t status) {
    std::int64_t needed = 0, available = 0;
    gridlib_room_shortage(&needed, &available);
    return room_failure(what, status, available, needed);
}

}  // namespace

std::string header_failure(std::int32_t status, std::int32_t format, const std::string& name) {
    const std::string unknown = std::string(kFormatUnknown) + std::to_string(status);
    if (format != GRIDLIB_FORMAT_GEOTIFF && format != GRIDLIB_FORMAT_NETCDF) return unknown;
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    ihead[GRIDLIB_FORMAT] = format;
    const auto cause = library_words(GRIDLIB_ROUTINE_GRDRDH, status, ihead.data());
    return cause ? with_status(" The grid file " + name + " could not be read : ", *cause, status) : unknown;
}

std::string grid_read_failure(std::int32_t status, std::int32_t format, std::int32_t rows) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure("working grid file", status);
    // The words depend on the grid's format and its row count alone.
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    ihead[GRIDLIB_FORMAT] = format;
    ihead[GRIDLIB_ROWS] = rows;
    const auto cause = library_words(GRIDLIB_ROUTINE_GRDRDG, status, ihead.data());
    return with_status(" The grid data could not be read : ", cause.value_or("the reader failed"), status);
}

std::string histogram_failure(std::int32_t status) {
    // Limits of its own are checked first: only an upper limit alone (rastrify's -M)
    // leaves the lower limit null.
    const std::string cause =
        status == GRIDLIB_REFUSED
            ? "the colour limits were refused (the lower limit is the null value, as when only -M is given, "
              "or lies above the upper limit)"
            : library_words(GRIDLIB_ROUTINE_GRDHST, status).value_or("the histogram routine failed");
    return with_status(" The histogram could not be computed : ", cause, status);
}

std::string image_failure(std::int32_t status, const std::string& kind) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure(kind + " file", status);
    std::string cause;
    if (status == GRIDLIB_REFUSED) {
        // Of the refusals only this one can meet a conversion's calls.
        cause = "the colour limits do not ascend";
    } else if (status == GRIDLIB_IMAGE_TOO_LARGE) {
        std::int64_t needed = 0, available = 0;
        gridlib_memory_shortage(&needed, &available);
        cause = needed > 0 ? "the process may use " + std::to_string(available) +
                                 " bytes of memory and a block of the image's lines needs " + std::to_string(needed)
                           : "the image would be too large for the " + kind + " format";
    } else {
        cause = library_words(GRIDLIB_ROUTINE_IMAGE, status).value_or("the image writer failed");
    }
    return with_status(" The " + kind + " file could not be written : ", cause, status);
}

std::string pyramid_failure(std::int32_t status, const std::string& folder, const std::string& refusal) {
    const std::string cause = status == GRIDLIB_REFUSED
                                  ? refusal
                                  : library_words(GRIDLIB_ROUTINE_IMAGE, status).value_or("the tile writer failed");
    return with_status(" The tile pyramid could not be written in " + folder + " : ", cause, status);
}

std::string world_file_failure(std::int32_t status, const std::string& name) {
    const std::string cause =
        status == GRIDLIB_REFUSED
            ? "the grid's cell size is zero or not a number"
            : library_words(GRIDLIB_ROUTINE_WORLD_FILE, status).value_or("the file could not be written");
    return with_status(" The world file " + name + " could not be written : ", cause, status);
}

std::string colour_bar_failure(std::int32_t status, const std::string& name) {
    const std::string cause =
        library_words(GRIDLIB_ROUTINE_COLOUR_BAR, status).value_or("the colour bar file could not be written");
    return with_status(" The colour bar " + name + " could not be written : ", cause, status);
}

std::string gradient_failure(std::int32_t status) {
    if (status == GRIDLIB_NO_ROOM) return library_room_failure("gradient file", status);
    const std::string cause =
        status == GRIDLIB_REFUSED
            ? "the cell spacing of the grid is not a positive number"
            : library_words(GRIDLIB_ROUTINE_GRDGRAD, status).value_or("the gradient writer failed");
    return with_status(" The slopes of the shaded relief could not be computed : ", cause, status);
}

std::string room_failure(const std::string& what, std::int32_t status, std::int64_t available, std::int64_t needed) {
    return with_status(" The " + what + " could not be written : ",
                       "the file system has room for " + std::to_string(available) + " bytes and it needs " +
                           std::to_string(needed),
                       status);
}

}  // namespace gridlib::convert
