// Files of the image writer tests: working grids written cell by cell, the
// bytes a BMP file must hold, assembled field by field apart from the
// writers' own code, and the pixels libpng and Pillow read back from a file.
#pragma once

#include "gridlib.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace gridlib::testing {

inline constexpr float kNull = GRIDLIB_NULL_VALUE;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

// The descriptor a writer takes for a working grid of columns x rows cells
// with the given colour limits.
struct WorkingDescriptor {
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};

    WorkingDescriptor(std::int32_t columns, std::int32_t rows, float lower, float upper) {
        ihead[GRIDLIB_FORMAT] = GRIDLIB_FORMAT_BINARY_512;
        ihead[GRIDLIB_COLUMNS] = columns;
        ihead[GRIDLIB_ROWS] = rows;
        rhead[GRIDLIB_COLOUR_MIN] = lower;
        rhead[GRIDLIB_COLOUR_MAX] = upper;
    }
};

// Writes a working grid of `columns` columns from values given northern row
// first, each row west to east, stored in the order the storage order code
// says (-2: northern row first); only rows_written rows, for a short file.
void write_working_grid(const std::string& path, std::int32_t columns, const std::vector<float>& values,
                        std::int32_t order = -2, std::size_t rows_written = std::numeric_limits<std::size_t>::max());

struct ImagePixels {
    std::int32_t width = 0, height = 0;
    unsigned bits = 8;
    std::vector<std::array<int, 3>> palette;  // red, green, blue
    // Top line first: palette indices, or red * 65536 + green * 256 + blue.
    std::vector<std::uint32_t> pixels;
    bool operator==(const ImagePixels&) const = default;
};

inline std::uint32_t rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}

// The BMP file of an image: headers, palette, lines bottom line first.
std::vector<std::byte> bmp_bytes(const ImagePixels& image);

// The names in a directory, sorted.
std::vector<std::string> entries(const std::string& dir);

// Expects the file at path to hold exactly bmp_bytes(expected), and Pillow
// (tools/image_pixels.py) to read those pixels from it; the test is marked
// skipped when /usr/bin/python3 has no Pillow.
void expect_bmp_file(const std::string& path, const ImagePixels& expected);

// Expects libpng and Pillow to read from the PNG at path the pixels of
// `expected` (an 8-bit image: its whole palette too) with the alpha of each
// pixel, top line first; marked skipped as above when there is no Pillow.
void expect_png_file(const std::string& path, const ImagePixels& expected, const std::vector<int>& alpha);

}  // namespace gridlib::testing
