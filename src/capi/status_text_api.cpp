// C entry point of the words of statuses. Header and grid reading ask the
// formats, whose words depend on the grid; the other routines' words are here.
#include "gridlib.h"

#include "capi/c_args.h"
#include "descriptor/grid_descriptor.h"
#include "formats/grid_status_words.h"
#include "formats/status_words.h"

#include <algorithm>
#include <optional>
#include <string>

using namespace gridlib;

namespace {

using formats::StatusWords;
using formats::words_in;

constexpr StatusWords kHistogram[] = {
    {GRIDLIB_REFUSED, "the colour limits were refused (the lower limit is the null value or lies above the upper "
                      "limit), the grid is a byte image, or memory ran out"},
    {GRIDLIB_HISTOGRAM_TOO_SMALL, "the grid has fewer than 2 columns or rows"},
    {GRIDLIB_HISTOGRAM_UNREADABLE, "the working grid file could not be read"},
};
constexpr StatusWords kImage[] = {
    {GRIDLIB_REFUSED, "the image was refused: the grid is a byte image, the colour limits do not ascend, the grid "
                      "has no cells, or an argument is missing or out of range"},
    {GRIDLIB_IMAGE_TOO_LARGE, "the image would be too large for its format"},
    {GRIDLIB_IMAGE_WRITE_FAILED, "the image file could not be written"},
    {GRIDLIB_IMAGE_GRID_UNREADABLE, "the working grid file could not be read"},
    {GRIDLIB_NO_ROOM, "the file system has no room for the image"},
};
constexpr StatusWords kGradient[] = {
    {GRIDLIB_REFUSED, "the slopes were refused: the grid is a byte image or has no cells, its cell spacing is not "
                      "a positive number, the exaggeration is not finite, or the gradient file is the working grid"},
    {GRIDLIB_GRADIENT_WRITE_FAILED, "the gradient file could not be written"},
    {GRIDLIB_GRADIENT_GRID_UNREADABLE, "the working grid file could not be read"},
    {GRIDLIB_NO_ROOM, "the file system has no room for the gradient file"},
};
constexpr StatusWords kWorldFile[] = {
    {GRIDLIB_REFUSED, "the world file was refused: the image name is empty, the format code has no format, the "
                      "grid has no cells, or its cell size is zero or not a number"},
    {GRIDLIB_IMAGE_WRITE_FAILED, "the file could not be written"},
};
constexpr StatusWords kWorldFileName[] = {
    {GRIDLIB_REFUSED, "the image name is empty, or the world file's name does not fit its buffer"},
};
constexpr StatusWords kPointLookup[] = {
    {GRIDLIB_REFUSED, "the points were refused: their count is negative, the grid is a byte image, or its file "
                      "cannot be opened"},
};
constexpr StatusWords kRows[] = {
    {GRIDLIB_REFUSED, "the row could not be moved whole: an argument is missing, the row is below 1 or beyond the "
                      "end of the file, or reading or writing failed"},
};
constexpr StatusWords kTemporaryFile[] = {
    {GRIDLIB_REFUSED, "the temporary file could not be created, or its name does not fit its buffer"},
};
constexpr StatusWords kColourBar[] = {
    {GRIDLIB_REFUSED, "the colour bar was refused: its name ends in neither .svg nor .png, the colour limits do not "
                      "ascend (or are not above 0 on a log axis), or an argument is missing or out of range"},
    {GRIDLIB_IMAGE_WRITE_FAILED, "the colour bar file could not be written"},
    {GRIDLIB_IMAGE_GRID_UNREADABLE, "the working grid file could not be read"},
    {GRIDLIB_FONT_MISSING, "the DejaVu font could not be loaded (Debian package fonts-dejavu-core)"},
};
constexpr StatusWords kStatusText[] = {
    {GRIDLIB_REFUSED, "the routine or the status is unknown, or the words do not fit the buffer"},
};

std::optional<std::string> words_of(std::int32_t routine, std::int32_t status, const DescriptorView* d) {
    if (routine < GRIDLIB_ROUTINE_GRDRDH || routine > GRIDLIB_ROUTINE_COLOUR_BAR) return std::nullopt;
    if (status == GRIDLIB_OK) return "no failure";
    switch (routine) {
    case GRIDLIB_ROUTINE_GRDRDH: return formats::header_status_words(status, d);
    case GRIDLIB_ROUTINE_GRDRDG: return formats::read_status_words(status, d);
    case GRIDLIB_ROUTINE_GRDHST: return words_in(kHistogram, status);
    case GRIDLIB_ROUTINE_IMAGE: return words_in(kImage, status);
    case GRIDLIB_ROUTINE_GRDGRAD: return words_in(kGradient, status);
    case GRIDLIB_ROUTINE_WORLD_FILE: return words_in(kWorldFile, status);
    case GRIDLIB_ROUTINE_WORLD_FILE_NAME: return words_in(kWorldFileName, status);
    case GRIDLIB_ROUTINE_GRDVAL: return words_in(kPointLookup, status);
    case GRIDLIB_ROUTINE_ROWS: return words_in(kRows, status);
    case GRIDLIB_ROUTINE_TEMPORARY_FILE: return words_in(kTemporaryFile, status);
    case GRIDLIB_ROUTINE_STATUS_TEXT: return words_in(kStatusText, status);
    case GRIDLIB_ROUTINE_COLOUR_BAR: return words_in(kColourBar, status);
    default: return std::nullopt;
    }
}

}  // namespace

extern "C" void gridlib_status_text(const int32_t* routine, const int32_t* status, const int32_t* ihead, char* text,
                                    const int32_t* text_length, int32_t* result) noexcept {
    if (!text || !text_length || *text_length <= 0) {
        capi::set_status(result, GRIDLIB_REFUSED);
        return;
    }
    const auto capacity = static_cast<std::size_t>(*text_length);
    text[0] = '\0';
    if (!routine || !status) {
        capi::set_status(result, GRIDLIB_REFUSED);
        return;
    }
    try {
        // Only integer words are read: no real part is needed.
        const std::optional<DescriptorView> d =
            ihead ? std::optional<DescriptorView>(DescriptorView(const_cast<std::int32_t*>(ihead), nullptr))
                  : std::nullopt;
        const auto words = words_of(*routine, *status, d ? &*d : nullptr);
        if (!words || words->size() >= capacity) {
            capi::set_status(result, GRIDLIB_REFUSED);
            return;
        }
        std::copy(words->begin(), words->end(), text);
        text[words->size()] = '\0';
        capi::set_status(result, GRIDLIB_OK);
    } catch (...) {
        capi::set_status(result, GRIDLIB_REFUSED);
    }
}
