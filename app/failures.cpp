// Library statuses turned into messages.
#include "failures.h"

#include "descriptor/grid_descriptor.h"

namespace rastrify {
namespace {

std::string with_status(const char* prefix, const std::string& cause, std::int32_t status) {
    return std::string(prefix) + cause + " (status " + std::to_string(status) + ")";
}

}  // namespace

std::string grid_read_failure(std::int32_t status, std::int32_t format) {
    using gridlib::FormatCode;
    const auto f = static_cast<FormatCode>(format);
    std::string cause;
    if (status == -1 && gridlib::is_byte_image(f)) {
        cause = "PCIDSK, BIL and BIP byte images are not converted";
    } else if (status == -1) {
        cause = "the grid was refused: it has a single row or column, its data file is missing, "
                "a row could not be decoded or it is too large";
    } else if (status == -2) {
        cause = "the working grid file could not be written";
    } else if (status == -11 && (f == FormatCode::gxf || f == FormatCode::grid_text)) {
        cause = "compressed GXF grids and $$GRID$$ grids cannot be read yet";
    } else if (status == -11) {
        cause = "this grid format cannot be read";
    } else if (status == -27) {
        cause = "no line holding #GRID was found";
    } else if (status == -28) {
        cause = "the file ends within its header lines";
    } else if (status == -101 || (status == -3000 && (f == FormatCode::er_mapper || f == FormatCode::bgd))) {
        // ER Mapper and $$BGD rows report a failed seek as -3000, which other
        // formats would use for row 2000.
        cause = "positioning within the file failed";
    } else if (status <= -1001) {
        cause = "row " + std::to_string(-1000 - static_cast<std::int64_t>(status)) +
                " could not be read (it is missing, short or not a number)";
    } else {
        cause = "the reader failed";
    }
    return with_status(" The grid data could not be read : ", cause, status);
}

std::string histogram_failure(std::int32_t status) {
    std::string cause;
    switch (status) {
    case -1:
        cause = "the colour limits were refused (the lower limit is the null value, as when only -M is given, "
                "or lies above the upper limit)";
        break;
    case -2:
        cause = "the grid has fewer than 2 columns or rows";
        break;
    case -3:
        cause = "the working grid file could not be read";
        break;
    default:
        cause = "the histogram routine failed";
    }
    return with_status(" The histogram could not be computed : ", cause, status);
}

std::string image_failure(std::int32_t status) {
    std::string cause;
    switch (status) {
    case -1:
        cause = "the colour limits do not ascend";
        break;
    case -2:
        cause = "the image would be too large for the BMP format";
        break;
    case -3:
        cause = "the image file could not be written";
        break;
    case -4:
        cause = "the working grid file could not be read";
        break;
    default:
        cause = "the image writer failed";
    }
    return with_status(" The BMP file could not be written : ", cause, status);
}

}  // namespace rastrify
