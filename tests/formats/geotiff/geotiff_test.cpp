// GeoTIFF files GDAL wrote (tools/make_geotiff_samples.sh), read through
// header and working grid, must hold the values and the placement GDAL reads
// from them ("<name>.expected.txt"); damaged and unsuitable files must fail
// with their own status.
#include "formats/geotiff/tiff_rows.h"
#include "formats/grid_header.h"
#include "formats/grid_placement.h"
#include "formats/grid_status_words.h"
#include "grid/grid_reader.h"
#include "support/process_memory.h"
#include "support/child_process.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <thread>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace gridlib {
namespace {

using gridlib::testing::process_memory;
using gridlib::testing::read_file;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::test_data;
using gridlib::testing::write_file;

std::string sample(const std::string& name) { return test_data("geotiff/" + name); }

struct Expected {
    std::array<double, 6> geotransform{};
    int columns = 0, rows = 0;
    std::vector<std::optional<double>> values;  // north row first; nothing for null
};

Expected read_expected(const std::string& path) {
    std::istringstream in(read_text(path));
    Expected e;
    std::string word;
    in >> word;
    for (double& g : e.geotransform) in >> g;
    in >> word >> e.columns >> e.rows;
    for (std::string v; in >> v;) e.values.push_back(v == "null" ? std::nullopt : std::optional(std::stod(v)));
    return e;
}

std::vector<float> working_values(const std::string& path, std::size_t cells) {
    const auto bytes = read_file(path);
    std::vector<float> v(cells);
    if (bytes.size() != 512 + cells * 4) return {};
    std::memcpy(v.data(), bytes.data() + 512, cells * 4);
    return v;
}

struct Sample {
    const char* grid;      // file name, with "?N" for a band
    const char* expected;  // GDAL's reading
};

class GeotiffSample : public ::testing::TestWithParam<Sample> {};

TEST_P(GeotiffSample, HoldsTheValuesAndPlacementGdalReads) {
    const Sample& s = GetParam();
    const Expected e = read_expected(sample(s.expected));
    ASSERT_EQ(e.values.size(), static_cast<std::size_t>(e.columns) * e.rows);

    GridDescriptor g;
    DescriptorView d = g.view();
    const std::string input = sample(s.grid);
    ASSERT_EQ(read_grid_header(input, d), 0);
    EXPECT_EQ(d.format(), FormatCode::geotiff);
    ASSERT_EQ(d.columns(), e.columns);
    ASSERT_EQ(d.rows(), e.rows);

    // GDAL's geotransform, to a millionth of a cell; a south-up file's is
    // the same grid seen from its other end.
    const auto placement = formats::grid_placement(input, d);
    ASSERT_TRUE(placement);
    auto want = e.geotransform;
    // GDAL's geotransform of a file it places nowhere, or of one whose
    // transformation is all zeros (a placement that places nothing): we
    // read the file's first row as the northern one all the same.
    const bool unplaced = want == std::array<double, 6>{0, 1, 0, 0, 0, 1} || want == std::array<double, 6>{};
    if (unplaced) want = {0, 1, 0, double(e.rows), 0, -1};
    const bool south_up = want[5] > 0;
    if (south_up) want[3] += want[5] * e.rows, want[5] = -want[5];
    const auto got = placement->geotransform();
    for (int k = 0; k < 6; ++k) {
        const double cell = k < 3 ? std::fabs(want[1]) : std::fabs(want[5]);
        EXPECT_NEAR(got[k], want[k], 1e-6 * cell) << "geotransform entry " << k;
    }
    // The descriptor names cell centres.
    EXPECT_NEAR(d.west_x(), want[0] + want[1] / 2, 1e-3 * std::fabs(want[1]) + std::fabs(want[0]) * 1e-7);
    EXPECT_NEAR(d.north_y(), want[3] + want[5] / 2, 1e-3 * std::fabs(want[5]) + std::fabs(want[3]) * 1e-7);

    TempDir dir;
    const std::string working = dir.file("work.tmp");
    const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    ASSERT_EQ(read_into_working_grid(input, working, d, window), 0);
    const auto cells = working_values(working, e.values.size());
    ASSERT_EQ(cells.size(), e.values.size());
    for (std::size_t k = 0; k < cells.size(); ++k) {
        // The working grid's rows run from the north.
        const std::size_t row = k / e.columns, column = k % e.columns;
        const auto& v = e.values[(south_up ? e.rows - 1 - row : row) * e.columns + column];
        const float expected = v ? static_cast<float>(*v) : kNullValue;
        EXPECT_EQ(cells[k], expected) << s.grid << " row " << row + 1 << " (north first), column " << column + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, GeotiffSample,
    ::testing::Values(
        Sample{"u8_strips.tif", "u8_strips.expected.txt"}, Sample{"i8_strips.tif", "i8_strips.expected.txt"},
        Sample{"u16_strips.tif", "u16_strips.expected.txt"}, Sample{"i16_strips.tif", "i16_strips.expected.txt"},
        Sample{"u32_strips.tif", "u32_strips.expected.txt"}, Sample{"i32_strips.tif", "i32_strips.expected.txt"},
        Sample{"f32_strips.tif", "f32_strips.expected.txt"}, Sample{"f64_strips.tif", "f64_strips.expected.txt"},
        Sample{"f32_tiles_deflate.tif", "f32_tiles_deflate.expected.txt"},
        Sample{"f32_strips_deflate_predictor3.tif", "f32_strips_deflate_predictor3.expected.txt"},
        Sample{"f64_tiles_zstd_predictor3.tif", "f64_tiles_zstd_predictor3.expected.txt"},
        Sample{"i16_tiles_lzw_predictor2.tif", "i16_tiles_lzw_predictor2.expected.txt"},
        Sample{"u32_strips_lzw_predictor2.tif", "u32_strips_lzw_predictor2.expected.txt"},
        Sample{"u8_strips_packbits.tif", "u8_strips_packbits.expected.txt"},
        Sample{"u16_one_strip_deflate.tif", "u16_one_strip_deflate.expected.txt"},
        Sample{"f32_bigtiff_tiles.tif", "f32_bigtiff_tiles.expected.txt"},
        Sample{"i32_big_endian.tif", "i32_big_endian.expected.txt"},
        Sample{"f32_pixel_is_point.tif", "f32_pixel_is_point.expected.txt"},
        Sample{"i16_nodata.tif", "i16_nodata.expected.txt"},
        Sample{"f32_nodata_lowest.tif", "f32_nodata_lowest.expected.txt"},
        Sample{"f64_nodata_nan.tif", "f64_nodata_nan.expected.txt"},
        Sample{"u32_nodata_large.tif", "u32_nodata_large.expected.txt"},
        Sample{"i16_two_bands_pixel.tif", "i16_two_bands_pixel.expected.txt"},
        Sample{"i16_two_bands_pixel.tif?2", "i16_two_bands_pixel.band2.expected.txt"},
        Sample{"i16_two_bands_band.tif?1", "i16_two_bands_band.expected.txt"},
        Sample{"i16_two_bands_band.tif?2", "i16_two_bands_band.band2.expected.txt"},
        Sample{"f32_two_band_tiles_pixel.tif?2", "f32_two_band_tiles_pixel.band2.expected.txt"},
        Sample{"f32_two_band_tiles_band.tif?2", "f32_two_band_tiles_band.band2.expected.txt"},
        Sample{"f32_south_up.tif", "f32_south_up.expected.txt"},
        Sample{"f32_no_georeference.tif", "f32_no_georeference.expected.txt"},
        Sample{"f32_zero_matrix.tif", "f32_zero_matrix.expected.txt"}),
    [](const auto& info) {
        std::string name = info.param.expected;
        name = name.substr(0, name.find(".expected"));
        for (char& c : name) c = c == '.' ? '_' : c;
        return name;
    });

// A file GDAL places nowhere lies in its pixel coordinates, the first row
// at the top: its south-western corner at 0, 0.
TEST(Geotiff, UnplacedFileLiesInPixelCoordinates) {
    GridDescriptor g;
    DescriptorView d = g.view();
    ASSERT_EQ(read_grid_header(sample("f32_no_georeference.tif"), d), 0);
    EXPECT_FLOAT_EQ(d.west_x(), 0.5f);
    EXPECT_FLOAT_EQ(d.south_y(), 0.5f);
    EXPECT_FLOAT_EQ(d.column_spacing(), 1.0f);
}

TEST(Geotiff, NodataIsTheDescriptorsNullValue) {
    GridDescriptor g;
    DescriptorView d = g.view();
    ASSERT_EQ(read_grid_header(sample("i16_nodata.tif"), d), 0);
    EXPECT_EQ(d.null_value(), -9999.0f);
    ASSERT_EQ(read_grid_header(sample("f64_nodata_nan.tif"), d), 0);
    EXPECT_EQ(d.null_value(), kNullValue);
    EXPECT_EQ(d.band_count(), 1);
    ASSERT_EQ(read_grid_header(sample("i16_two_bands_band.tif?2"), d), 0);
    EXPECT_EQ(d.band_count(), 2);
    EXPECT_EQ(d.selected_band(), 2);
}

// Blocks of rows that cut across tiles, read on several threads at once
// (more than the machine has, so that they take turns): every cell as
// written, whatever the thread count.
TEST(Geotiff, TilesSharedByBlocksOnManyThreads) {
    const std::string input = sample("i16_many_tiles.tif");
    for (const char* threads : {"1", "2", "5"}) {
        ::setenv("GRIDLIB_THREADS", threads, 1);
        GridDescriptor g;
        DescriptorView d = g.view();
        ASSERT_EQ(read_grid_header(input, d), 0);
        TempDir dir;
        const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
        ASSERT_EQ(read_into_working_grid(input, dir.file("work.tmp"), d, window), 0);
        const auto cells = working_values(dir.file("work.tmp"), 300u * 300u);
        ASSERT_EQ(cells.size(), 300u * 300u);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < cells.size(); ++k) wrong += cells[k] != float((k % 300 + 7 * (k / 300)) % 30000);
        EXPECT_EQ(wrong, 0u) << threads << " threads";
    }
    ::unsetenv("GRIDLIB_THREADS");
}

// A strip of 17 MB decoded is read row by row, never held whole.
TEST(Geotiff, LargeStripIsReadRowByRow) {
    GridDescriptor g;
    DescriptorView d = g.view();
    const std::string input = sample("f32_one_large_strip.tif");
    ASSERT_EQ(read_grid_header(input, d), 0);
    TempDir dir;
    const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    ASSERT_EQ(read_into_working_grid(input, dir.file("work.tmp"), d, window), 0);
    const auto cells = working_values(dir.file("work.tmp"), 2100u * 2100u);
    ASSERT_EQ(cells.size(), 2100u * 2100u);
    EXPECT_EQ(cells[0], 1.0f);
    EXPECT_EQ(cells[1000u * 2100u + 2000u], 2.0f);
    EXPECT_EQ(cells.back(), 3.0f);
    EXPECT_EQ(d.data_min(), 0.0f);
    EXPECT_EQ(d.data_max(), 3.0f);
}

// Files that cannot be read as a grid: each header failure has its status
// and words of its own, and a file damaged after its header fails to read
// rather than giving made-up values.
TEST(Geotiff, UnsuitableFilesFailWithTheirOwnStatus) {
    TempDir dir;
    write_file(dir.file("text.tif"), std::string(200, 'x'));
    write_file(dir.file("signed.dat"), std::string("II*\0", 4) + std::string(196, '\0'));
    const struct {
        std::string grid;
        std::int32_t status;
    } cases[] = {
        {sample("f32_rotated.tif"), GRIDLIB_TIFF_ROTATED},
        {sample("huge_declared.tif"), GRIDLIB_TIFF_TOO_LARGE},
        {sample("tile_too_large.tif"), GRIDLIB_TIFF_CHUNKS_TOO_LARGE},
        {sample("tile_row_too_large.tif"), GRIDLIB_TIFF_CHUNKS_TOO_LARGE},
        {sample("row_too_large.tif"), GRIDLIB_TIFF_CHUNKS_TOO_LARGE},
        // Placements GDAL reads but no image can be drawn at: each with its
        // own cause, not the grid reader's refusal of a grid of one column.
        {sample("f32_origin_infinite.tif"), GRIDLIB_TIFF_NOT_FINITE},
        {sample("f32_origin_1e300.tif"), GRIDLIB_TIFF_NOT_FINITE},
        {sample("f32_nan_matrix.tif"), GRIDLIB_TIFF_NOT_FINITE},
        {sample("f32_zero_width.tif"), GRIDLIB_TIFF_ZERO_CELL},
        {sample("f32_cells_1e-300.tif"), GRIDLIB_TIFF_ZERO_CELL},
        {sample("i16_two_bands_band.tif?3"), GRIDLIB_TIFF_NO_BAND},
        {sample("i16_two_bands_band.tif?0"), GRIDLIB_TIFF_NO_BAND},
        {sample("i16_two_bands_band.tif?two"), GRIDLIB_TIFF_NO_BAND},
        {dir.file("text.tif"), GRIDLIB_TIFF_UNREADABLE},
        // Known as TIFF by its first bytes whatever its name.
        {dir.file("signed.dat"), GRIDLIB_TIFF_UNREADABLE},
    };
    for (const auto& c : cases) {
        GridDescriptor g;
        DescriptorView d = g.view();
        EXPECT_EQ(read_grid_header(c.grid, d), c.status) << c.grid;
        EXPECT_EQ(d.format(), FormatCode::geotiff) << c.grid;
        const auto words = formats::header_status_words(c.status, &d);
        EXPECT_TRUE(words) << c.grid;
    }
}

// Tiles of 1024 x 16384 reals, 16 across: a row of them is 1 GB decoded,
// which is never held, nor is a tile kept whole; the rows are read from
// pieces of the tiles. Four rows, one in each of four pieces, each hold
// the cells GDAL wrote, in a child process whose peak memory is measured.
TEST(Geotiff, TallTilesAreReadInPiecesWithinTheirBound) {
    const std::string input = sample("f32_tall_tiles.tif");
    TempDir dir;
    const std::string working = dir.file("work.tmp");
    const auto child = gridlib::testing::run_in_child(
        [&] {
            const std::uint64_t before = process_memory("VmRSS");
            GridDescriptor g;
            DescriptorView d = g.view();
            if (read_grid_header(input, d) != 0) return 2;
            // Every 5461st row from the southern one: rows 16384, 10923, 5462 and 1 from the north.
            const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 5461};
            if (read_into_working_grid(input, working, d, window) != 0) return 3;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
            // The cache's 256 MB, the tile being decoded (64 MB) and what the
            // reader holds besides; holding the tiles took 1 GB.
            if (process_memory("VmHWM") - before > (std::uint64_t{480} << 20)) return 4;
#endif
            return 0;
        },
        std::chrono::minutes(2));
    ASSERT_TRUE(gridlib::testing::exited_with(child, 0)) << (child ? WEXITSTATUS(*child) : -1);
    const auto cells = working_values(working, 4u * 16384u);
    ASSERT_EQ(cells.size(), 4u * 16384u);
    // North first: the rows GDAL wrote as 0, 5461, 10922 and 16383.
    std::vector<float> want(cells.size(), 1.0f);
    want[0] = 2.0f;
    want[2u * 16384u + 5000u] = 4.0f;
    want[3u * 16384u + 16383u] = 3.0f;
    EXPECT_EQ(cells, want);
}

// Kept in pieces of 10 rows (the cache given room for two rows of pieces),
// the 64 x 64 tiles of a 300 x 300 image give every cell as written, read
// by threads at once in blocks of rows that cut across the pieces, forwards
// and backwards, every row or every third.
TEST(Geotiff, PiecesOfTilesReadByThreadsAtOnce) {
    const std::string input = sample("i16_many_tiles.tif");
    auto handle = formats::geotiff::TiffHandle::open(input);
    ASSERT_TRUE(handle);
    formats::geotiff::TiffLayout layout;
    ASSERT_EQ(formats::geotiff::read_layout(handle->get(), handle->file_size(), 0, layout), 0);
    const std::uint64_t piece_band = 10 * layout.chunks_across() * layout.chunk_row_bytes();
    const formats::geotiff::TiffRows rows(input, layout, std::move(handle), {2 * piece_band, piece_band});
    for (const std::int64_t step : {1, 3}) {
        for (const bool backwards : {false, true}) {
            const std::int64_t count = (300 - 1) / step + 1, block = 7;
            std::vector<float> values(static_cast<std::size_t>(count) * 300, -1.0f);
            std::vector<std::thread> threads;
            std::atomic<int> failures{0};
            for (int t = 0; t < 3; ++t) {
                threads.emplace_back([&, t] {
                    for (std::int64_t b = t; b * block < count; b += 3) {
                        const std::int64_t n = std::min(block, count - b * block);
                        // A block's rows, as the reader lays them: backwards, the last row read first.
                        const std::int64_t at = backwards ? count - b * block - n : b * block;
                        const std::span<float> to(values.data() + at * 300, static_cast<std::size_t>(n) * 300);
                        if (rows.read_rows(1 + b * block * step, step, n, backwards, {}, to).status != 0) ++failures;
                    }
                });
            }
            for (auto& thread : threads) thread.join();
            EXPECT_EQ(failures, 0);
            std::size_t wrong = 0;
            for (std::int64_t j = 0; j < count; ++j) {
                const std::int64_t row = (backwards ? count - 1 - j : j) * step;  // 0-based, from the top
                for (std::int64_t column = 0; column < 300; ++column)
                    wrong += values[static_cast<std::size_t>(j * 300 + column)] != float((column + 7 * row) % 30000);
            }
            EXPECT_EQ(wrong, 0u) << "step " << step << (backwards ? ", backwards" : "");
        }
    }
}

TEST(Geotiff, CutFilesNeverReadAsComplete) {
    TempDir dir;
    // The second band of a file stored band after band lies in its second half.
    for (const std::string name : {"f32_tiles_deflate.tif", "u16_one_strip_deflate.tif", "f64_strips.tif",
                                   "f32_bigtiff_tiles.tif", "i16_two_bands_band.tif?2"}) {
        const std::string file = name.substr(0, name.find('?'));
        const std::string band = name.substr(file.size());
        const std::string whole = read_text(sample(file));
        for (const double kept : {0.3, 0.6, 0.9}) {
            write_file(dir.file("cut.tif"), whole.substr(0, static_cast<std::size_t>(double(whole.size()) * kept)));
            const std::string cut = dir.file("cut.tif") + band;
            GridDescriptor g;
            DescriptorView d = g.view();
            if (read_grid_header(cut, d) != 0) continue;
            const GridWindow window{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
            const std::int32_t status = read_into_working_grid(cut, dir.file("work.tmp"), d, window);
            EXPECT_NE(status, 0) << name << " cut to " << kept;
            EXPECT_TRUE(formats::read_status_words(status, &d)) << status;
        }
    }
}

}  // namespace
}  // namespace gridlib
