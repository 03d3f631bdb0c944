// Every thread count gives the same bytes: the working grid (rows and
// statistics words), the descriptor, the histogram, the gradient file with
// its slope table, and every kind of image (each as a BMP and as a PNG
// holding the BMP's pixels), for text and binary grids read whole or
// through a window with steps, and the same status and partial working grid
// when a row fails. The grids are large enough to be cut into many blocks
// and pieces.
#include "gridlib.h"
#include "grid/working_grid.h"
#include "image/image_files.h"
#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

constexpr int kColumns = 517, kRows = 611;
constexpr double kNoData = -9999;

// Cell (i, r), r = 0 the northern row: smooth with ridges, a block of null
// cells and scattered ones, zeros of both signs, and a few far-off values.
double cell(int i, int r) {
    if ((r > 200 && r < 260 && i > 300 && i < 380) || (i * 7 + r * 3) % 101 == 0) return kNoData;
    if ((i + r) % 97 == 0) return (i % 2) ? 0.0 : -0.0;
    if ((i * r) % 1009 == 5) return 1.0e7 + i;
    return 350 * std::sin(i / 37.0) * std::cos(r / 53.0) + 0.05 * (r + i) + 40 * std::sin(i * r / 5000.0);
}

// An ESRI ASCII grid whose rows are written the ways text grids come: some
// on one line, some wrapped over several, some with words after their last
// value (which the reader ignores), CR LF line ends, blank lines between
// rows, a Fortran exponent here and there. bad_row (0-based) holds a token
// that is not a number; the text stops in the middle of row end_row.
std::string esri_text(int bad_row = -1, int end_row = kRows) {
    std::string t = "ncols " + std::to_string(kColumns) + "\nnrows " + std::to_string(kRows) +
                    "\nxllcorner 1000\nyllcorner 2000\ncellsize 5\nNODATA_value -9999\n";
    char number[64];
    for (int r = 0; r < kRows; ++r) {
        const int wrap = r % 5 == 1 ? 100 : r % 5 == 2 ? 7 : kColumns;
        const char* line_end = r % 7 == 3 ? "\r\n" : "\n";
        for (int i = 0; i < kColumns; ++i) {
            if (r == end_row && i == kColumns / 2) return t;
            const double v = cell(i, r);
            if (r == bad_row && i == 250) {
                t += "1.2.3";
            } else if (v == kNoData) {
                t += "-9999";
            } else if ((i + 2 * r) % 211 == 0) {
                std::snprintf(number, sizeof number, "%.6E", v);
                *std::strchr(number, 'E') = 'D';  // "1.234567D+01"
                t += number;
            } else {
                std::snprintf(number, sizeof number, (i % 3) ? "%.3f" : "%.5g", v);
                t += number;
            }
            const bool last = i == kColumns - 1;
            if (last && r % 11 == 4) t += "   words 1.5 after the row";
            t += last || (i + 1) % wrap == 0 ? line_end : ((i % 4) ? " " : ",  ");
        }
        if (r % 13 == 6) t += "\n  \n";
    }
    return t;
}

// The same cells as a binary grid with a 512-byte header: 16-bit integers
// of tenths (base 0, divisor 10) stored by rows from the south, or 32-bit
// reals stored by columns; nulls as the element size has them.
std::vector<std::byte> binary_grid(bool columns_stored, std::size_t keep_bytes = SIZE_MAX) {
    const working_grid::Geometry g{columns_stored ? kRows : kColumns, columns_stored ? kColumns : kRows, 5, 5,
                                   1000, 2000};
    auto header = working_grid::header_bytes(g);
    const std::int32_t element_size = columns_stored ? 4 : 2, storage_order = columns_stored ? 4 : 1;
    std::memcpy(header.data(), &element_size, 4);
    std::memcpy(header.data() + 16, &storage_order, 4);
    const double divisor = 10;
    if (!columns_stored) std::memcpy(header.data() + 68, &divisor, sizeof divisor);
    std::vector<std::byte> out(header.begin(), header.end());
    const auto put = [&](int i, int r) {
        const double v = cell(i, r);
        if (columns_stored) {
            const float f = v == kNoData ? GRIDLIB_NULL_VALUE : static_cast<float>(v);
            const auto* b = reinterpret_cast<const std::byte*>(&f);
            out.insert(out.end(), b, b + sizeof f);
        } else {
            const auto n = static_cast<std::int16_t>(v == kNoData ? -32767 : std::clamp(v * 10, -32000.0, 32000.0));
            const auto* b = reinterpret_cast<const std::byte*>(&n);
            out.insert(out.end(), b, b + sizeof n);
        }
    };
    if (columns_stored) {
        for (int i = kColumns - 1; i >= 0; --i)  // order 4: columns east to west, rows south to north
            for (int r = kRows - 1; r >= 0; --r) put(i, r);
    } else {
        for (int r = kRows - 1; r >= 0; --r)
            for (int i = 0; i < kColumns; ++i) put(i, r);
    }
    out.resize(std::min(out.size(), keep_bytes));
    return out;
}

// The window as insets from the grid's edges, in cells, and the steps.
struct Window {
    int west = 0, east = 0, south = 0, north = 0;
    std::int32_t column_step = 1, row_step = 1;
    std::int32_t image_width = 0;  // requested; 0 draws a pixel per cell
};

std::string text_of(const std::string& name) { return name + '\0'; }
std::int32_t length_of(const std::string& text) { return static_cast<std::int32_t>(text.size()); }

// What one conversion leaves: statuses, descriptor, levels and files.
struct Result {
    std::vector<std::int32_t> statuses;
    std::vector<std::int32_t> ihead;
    std::vector<float> rhead;
    std::vector<std::int32_t> levels;
    std::vector<float> slope_table;
    std::vector<std::vector<std::byte>> files;
    bool operator==(const Result&) const = default;
};

// Expects libpng to read from the PNG the pixels (and palette) of the BMP.
void expect_png_holds_bmp(const std::string& png_path, const std::string& bmp_path) {
    const auto png = testing::decode_png(png_path);
    ASSERT_TRUE(png) << png_path;
    testing::ImagePixels image{static_cast<std::int32_t>(png->width), static_cast<std::int32_t>(png->height),
                               png->indexed ? 8u : 24u, png->palette, {}};
    for (const std::uint32_t p : png->pixels) image.pixels.push_back(png->indexed ? p : p >> 8);
    EXPECT_TRUE(testing::bmp_bytes(image) == read_file(bmp_path)) << png_path;
}

Result convert(const TempDir& dir, const std::string& input, const Window& w, int threads) {
    ::setenv("GRIDLIB_THREADS", std::to_string(threads).c_str(), 1);
    const std::string tag = std::to_string(threads);
    Result out;
    std::array<std::int32_t, GRIDLIB_IHEAD_SIZE> ihead{};
    std::array<float, GRIDLIB_RHEAD_SIZE> rhead{};
    std::vector<char> chead(16 * 512, ' ');
    const std::int32_t band_length = 512;
    std::int32_t status = 0;
    const std::string in = text_of(dir.file(input)), work = text_of(dir.file("work" + tag));
    GRDRDH(in.data(), std::array{length_of(in)}.data(), ihead.data(), rhead.data(), chead.data(), &band_length,
           &status);
    out.statuses.push_back(status);
    const float dx = rhead[GRIDLIB_COLUMN_SPACING], dy = rhead[GRIDLIB_ROW_SPACING];
    const float west = rhead[GRIDLIB_WEST_X] + w.west * dx, east = rhead[GRIDLIB_EAST_X] - w.east * dx;
    const float south = rhead[GRIDLIB_SOUTH_Y] + w.south * dy, north = rhead[GRIDLIB_NORTH_Y] - w.north * dy;
    GRDRDG(in.data(), std::array{length_of(in)}.data(), work.data(), std::array{length_of(work)}.data(),
           ihead.data(), rhead.data(), &west, &east, &w.column_step, &south, &north, &w.row_step, &status);
    out.statuses.push_back(status);
    out.files.push_back(read_file(dir.file("work" + tag)));
    if (status == GRIDLIB_OK) {
        const float tail = 0.99f;
        std::vector<std::int32_t> levels(GRIDLIB_LEVELS);
        GRDHST(work.data(), std::array{length_of(work)}.data(), ihead.data(), rhead.data(), &tail, levels.data(),
               &status);
        out.statuses.push_back(status);
        out.levels = levels;
        std::vector<std::int32_t> colours(3 * GRIDLIB_COLOURS);
        for (int p = 0; p < GRIDLIB_COLOURS; ++p) colours[p] = p, colours[256 + p] = 255 - p, colours[512 + p] = p / 3;
        const std::int32_t mapping = 2, inverted = -1, count = 238, none = 0, depth24 = 24, depth8 = 8, flat = 0;
        // Each image as a BMP and as a PNG, the PNG in several blocks of
        // lines: it must hold the BMP's pixels.
        const auto both = [&](const std::string& name, const auto& draw) {
            for (const bool png : {false, true}) {
                const std::string path = dir.file(name + tag + (png ? ".png" : ".bmp")), image = text_of(path);
                ihead[GRIDLIB_IMAGE_WIDTH] = w.image_width;
                draw(image.data(), std::array{length_of(image)}.data(), png);
                out.statuses.push_back(status);
                out.files.push_back(read_file(path));
            }
            expect_png_holds_bmp(dir.file(name + tag + ".png"), dir.file(name + tag + ".bmp"));
        };
        for (const auto* flat_mapping : {&mapping, &inverted}) {
            both("flat" + std::to_string(*flat_mapping), [&](const char* image, const std::int32_t* length, bool png) {
                (png ? GRD2PNG : GRD2BMP)(work.data(), std::array{length_of(work)}.data(), image, length, ihead.data(), rhead.data(),
                        flat_mapping, levels.data(), &count, colours.data(), &status);
            });
        }

        const std::string gradient = text_of(dir.file("slopes" + tag));
        const float exaggeration = 1.0f, light_x = 0.4f, light_y = 0.5f, light_z = 0.7f, dark = 0.3f, bright = 1;
        std::array<float, 64> slopes{};
        GRDGRAD(work.data(), std::array{length_of(work)}.data(), gradient.data(),
                std::array{length_of(gradient)}.data(), ihead.data(), rhead.data(), &exaggeration, slopes.data(),
                &status);
        out.statuses.push_back(status);
        out.slope_table.assign(slopes.begin(), slopes.end());
        out.files.push_back(read_file(dir.file("slopes" + tag)));
        for (const auto* depth : {&depth24, &depth8}) {
            both("shaded" + std::to_string(*depth), [&](const char* image, const std::int32_t* length, bool) {
                GRDSUN2BMP(work.data(), std::array{length_of(work)}.data(), gradient.data(),
                           std::array{length_of(gradient)}.data(), image, length, ihead.data(), rhead.data(), depth,
                           &flat, &mapping, levels.data(), &count, colours.data(), &light_x, &light_y, &light_z,
                           &dark, &bright, slopes.data(), &status);
            });
        }
        std::vector<float> user(3 * GRIDLIB_LEVELS);
        for (std::size_t k = 0; k < user.size(); ++k) user[k] = static_cast<float>(k * 7 % 256);
        both("user", [&](const char* image, const std::int32_t* length, bool) {
            GRD2BMPCOLTAB(work.data(), std::array{length_of(work)}.data(), image, length, ihead.data(), rhead.data(),
                          &mapping, levels.data(), &count, nullptr, &none, user.data(), &status);
        });
    }
    out.ihead.assign(ihead.begin(), ihead.end());
    out.rhead.assign(rhead.begin(), rhead.end());
    return out;
}

class ThreadCount : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("GRIDLIB_THREADS"); }

    // Converts with 1, 2 and 3 threads; the results must not differ.
    Result expect_same_for_every_count(const std::string& input, const Window& w) {
        const Result one = convert(dir, input, w, 1);
        for (int threads : {2, 3})
            EXPECT_TRUE(convert(dir, input, w, threads) == one) << input << ", " << threads << " threads";
        return one;
    }
    TempDir dir;
};

TEST_F(ThreadCount, TextAndBinaryGridsGiveTheSameBytes) {
    write_file(dir.file("grid.asc"), esri_text());
    write_file(dir.file("rows.bin"), binary_grid(false));
    write_file(dir.file("columns.bin"), binary_grid(true));
    const Window whole, inset{3, 5, 7, 2, 3, 2, 0}, enlarged{0, 0, 0, 0, 1, 1, 2 * kColumns + 100},
        reduced{0, 0, 0, 0, 1, 1, kColumns / 2};
    for (const char* input : {"grid.asc", "rows.bin", "columns.bin"}) {
        for (const Window& w : {whole, inset, enlarged, reduced}) {
            const Result r = expect_same_for_every_count(input, w);
            EXPECT_EQ(r.statuses, std::vector<std::int32_t>(r.statuses.size(), 0)) << input;
        }
    }
}

TEST_F(ThreadCount, AFailingRowFailsAlikeAndLeavesTheSameRows) {
    write_file(dir.file("bad.asc"), esri_text(400));
    write_file(dir.file("short.asc"), esri_text(-1, 500));
    write_file(dir.file("short.bin"), binary_grid(false, 512 + 2 * kColumns * 300 + 100));
    for (const auto& [input, row] : {std::pair{"bad.asc", 401}, {"short.asc", 501}, {"short.bin", 301}}) {
        const Result r = expect_same_for_every_count(input, Window{});
        ASSERT_EQ(r.statuses.size(), 2u);
        EXPECT_EQ(r.statuses[1], GRIDLIB_ROW_FAILED - row) << input;
    }
}

}  // namespace
}  // namespace gridlib
