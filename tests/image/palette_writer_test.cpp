#include "image/palette_writer.h"
#include "gridlib.h"
#include "grid/working_grid.h"
#include "image/image_files.h"
#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace gridlib {
namespace {

using testing::entries;
using testing::TempDir;
using Picture = std::vector<std::string>;  // northern row first
using Pixels = std::vector<std::vector<int>>;  // top image line first

// An asymmetric "F" on 6 x 5 cells: odd width (padding), and any flip or
// transposition changes it. N is a null cell.
const Picture kF = {
    "XXXX..",
    "X.....",
    "XXX...",
    "X.....",
    "X....N",
};

float cell_value(char c) { return c == 'X' ? 1.0f : c == '.' ? 0.0f : kNullValue; }

void append(std::vector<std::byte>& out, const void* data, std::size_t n) {
    const std::size_t at = out.size();
    out.resize(at + n);
    std::memcpy(out.data() + at, data, n);
}

// Writes the picture as a working grid; stored row 1 is the northern row
// unless the storage order code says otherwise.
void write_grid(const std::string& path, const Picture& p, std::int32_t order = working_grid::kNorthFirst,
                std::size_t rows_written = std::numeric_limits<std::size_t>::max()) {
    working_grid::Geometry g;
    g.columns = static_cast<std::int32_t>(p[0].size());
    g.rows = static_cast<std::int32_t>(p.size());
    auto header = working_grid::header_bytes(g);
    std::memcpy(header.data() + working_grid::kStorageOrderOffset, &order, 4);
    std::vector<std::byte> bytes;
    append(bytes, header.data(), header.size());
    for (std::size_t s = 0; s < p.size() && s < rows_written; ++s) {
        const std::string& row = order == working_grid::kNorthFirst ? p[s] : p[p.size() - 1 - s];
        for (char c : row) {
            const float v = cell_value(c);
            append(bytes, &v, sizeof v);
        }
    }
    testing::write_file(path, bytes);
}

// The colour table of a small palette: entry p has red p.
std::array<std::int32_t, kColourTableValues> make_colours() {
    std::array<std::int32_t, kColourTableValues> v{};
    for (std::size_t p = 0; p < kColourEntries; ++p) {
        v[p] = static_cast<std::int32_t>(p);
        v[kColourEntries + p] = 100;
        v[2 * kColourEntries + p] = 200;
    }
    return v;
}

struct Drawing {
    GridDescriptor desc;
    std::array<std::int32_t, kLevels> levels{};
    std::array<std::int32_t, kColourTableValues> colours = make_colours();
    std::int32_t colour_count = 8;

    Drawing(const Picture& p, float lower = 0.0f, float upper = 1.0f) {
        auto d = desc.view();
        d.set_format(FormatCode::esri_ascii);
        d.columns() = static_cast<std::int32_t>(p[0].size());
        d.rows() = static_cast<std::int32_t>(p.size());
        d.colour_min() = lower;
        d.colour_max() = upper;
    }
    std::int32_t draw(const std::string& grid, const std::string& image, std::int32_t mode = 1,
                      ImageFormat format = ImageFormat::bmp) {
        return write_palette_image(grid, image, desc.view(), mode, levels, colour_count,
                                   ConstColourTableView(std::span<const std::int32_t, kColourTableValues>(colours)),
                                   format);
    }
};

std::uint32_t u32(const std::vector<std::byte>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// The pixel indices of an 8-bit BMP, top line first; checks the size fields
// and that every padding byte is zero.
Pixels read_pixels(const std::string& path) {
    const auto b = testing::read_file(path);
    EXPECT_GE(b.size(), 54u);
    if (b.size() < 54) return {};
    const std::uint32_t width = u32(b, 18), height = u32(b, 22), offset = u32(b, 10);
    const std::uint32_t line = (width + 3) / 4 * 4;
    EXPECT_EQ(u32(b, 2), b.size());
    EXPECT_EQ(b.size(), offset + std::size_t{line} * height);
    Pixels px(height);
    for (std::uint32_t i = 0; i < height; ++i) {
        auto& out = px[height - 1 - i];  // the bottom line is stored first
        for (std::uint32_t x = 0; x < line; ++x) {
            const int v = static_cast<int>(b[offset + std::size_t{i} * line + x]);
            if (x < width) out.push_back(v);
            else EXPECT_EQ(v, 0) << "padding";
        }
    }
    return px;
}

// The expected indices of a picture: X high, . low, N null.
Pixels indices(const Picture& p, int high, int low) {
    Pixels px;
    for (const auto& row : p) {
        px.emplace_back();
        for (char c : row) px.back().push_back(c == 'X' ? high : c == '.' ? low : 0);
    }
    return px;
}

TEST(PaletteImage, DrawsTheFBottomLineFirstWithPadding) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    Drawing run(kF);
    ASSERT_EQ(run.draw(dir.file("grid"), dir.file("f.bmp")), GRIDLIB_OK);
    // 8 colours: the lowest bin takes index 2, the highest 7.
    EXPECT_EQ(read_pixels(dir.file("f.bmp")), indices(kF, 7, 2));

    const auto b = testing::read_file(dir.file("f.bmp"));
    ASSERT_EQ(b.size(), 54u + 8 * 4 + 8 * 5);
    EXPECT_EQ(u32(b, 46), 8u);  // colours used
    // Palette entry 5: blue 200, green 100, red 5, zero.
    EXPECT_EQ(u32(b, 54 + 4 * 5), 0x000564C8u);

    // A grid stored southern row first gives the same image.
    write_grid(dir.file("south"), kF, 1);
    Drawing again(kF);
    ASSERT_EQ(again.draw(dir.file("south"), dir.file("s.bmp")), GRIDLIB_OK);
    EXPECT_EQ(testing::read_file(dir.file("s.bmp")), b);
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"f.bmp", "grid", "s.bmp", "south"}));
}

TEST(PaletteImage, ReplicatesToApproachTheRequestedWidth) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    auto blown_up = [](const Pixels& px, std::size_t n) {
        Pixels out;
        for (const auto& row : px) {
            std::vector<int> line;
            for (int v : row) line.insert(line.end(), n, v);
            out.insert(out.end(), n, line);
        }
        return out;
    };
    // 12 / 6 = 2; 15 / 6 = 2.5 rounds to 3; 8 / 6 rounds to 1 (full size).
    for (auto [request, factor] : {std::pair{12, 2}, std::pair{15, 3}, std::pair{8, 1}, std::pair{0, 1}}) {
        Drawing run(kF);
        run.desc.view().image_width() = request;
        ASSERT_EQ(run.draw(dir.file("grid"), dir.file("r.bmp")), GRIDLIB_OK) << request;
        EXPECT_EQ(run.desc.view().image_width(), 0);
        EXPECT_EQ(read_pixels(dir.file("r.bmp")), blown_up(indices(kF, 7, 2), static_cast<std::size_t>(factor)))
            << request;
    }
}

TEST(PaletteImage, DecimationStartsAtTheSouthernRowAndWesternColumn) {
    TempDir dir;
    for (std::int32_t order : {working_grid::kNorthFirst, 1}) {
        write_grid(dir.file("grid"), kF, order);
        // 6 / 3 = 2: every second row and column; the odd height keeps
        // both the southern and the northern row.
        Drawing half(kF);
        half.desc.view().image_width() = 3;
        ASSERT_EQ(half.draw(dir.file("grid"), dir.file("h.bmp")), GRIDLIB_OK);
        EXPECT_EQ(half.desc.view().image_width(), 0);
        EXPECT_EQ(read_pixels(dir.file("h.bmp")), indices({"XX.", "XX.", "X.."}, 7, 2)) << order;

        // 6 / 2 = 3: rows 5 and 2 counted from the south (not 1 and 4).
        Drawing third(kF);
        third.desc.view().image_width() = 2;
        ASSERT_EQ(third.draw(dir.file("grid"), dir.file("t.bmp")), GRIDLIB_OK);
        EXPECT_EQ(read_pixels(dir.file("t.bmp")), indices({"X.", "X."}, 7, 2)) << order;
    }
}

TEST(PaletteImage, InversionAndLevelTable) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    Drawing inverted(kF);
    ASSERT_EQ(inverted.draw(dir.file("grid"), dir.file("i.bmp"), -1), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("i.bmp")), indices(kF, 2, 7));

    // Bin 1 (the low cells) at level 3000, bin 4096 at level 1000:
    // truncate(2999 / 4096 * 6) + 2 = 6 and truncate(999 / 4096 * 6) + 2 = 3.
    Drawing levels(kF);
    levels.levels.fill(1);
    levels.levels.front() = 3000;
    levels.levels.back() = 1000;
    ASSERT_EQ(levels.draw(dir.file("grid"), dir.file("l.bmp"), 2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("l.bmp")), indices(kF, 3, 6));
    ASSERT_EQ(levels.draw(dir.file("grid"), dir.file("l.bmp"), -2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("l.bmp")), indices(kF, 6, 3));
    // Mode 1 ignores the table.
    ASSERT_EQ(levels.draw(dir.file("grid"), dir.file("l.bmp"), 1), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("l.bmp")), indices(kF, 7, 2));
}

TEST(PaletteImage, LevelsOutsideTheTableAreClampedBeforeInversion) {
    TempDir dir;
    // A constant grid whose equalisation left every level 0, drawn
    // inverted with the 238-colour rainbow: the last data colour, 237, not
    // index 238 beyond the palette.
    const Picture flat = {"XX", "XX"};
    write_grid(dir.file("grid"), flat);
    Drawing run(flat, 1.0f, 1.01f);
    run.colour_count = 238;
    ASSERT_EQ(run.draw(dir.file("grid"), dir.file("c.bmp"), -2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("c.bmp")), indices(flat, 237, 0));
    ASSERT_EQ(run.draw(dir.file("grid"), dir.file("c.bmp"), 2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("c.bmp")), indices(flat, 2, 0));
    // A damaged histogram file: levels above 4096 and below 1.
    run.levels.fill(99999);
    ASSERT_EQ(run.draw(dir.file("grid"), dir.file("c.bmp"), 2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("c.bmp")), indices(flat, 237, 0));
    run.levels.fill(-5);
    ASSERT_EQ(run.draw(dir.file("grid"), dir.file("c.bmp"), -2), GRIDLIB_OK);
    EXPECT_EQ(read_pixels(dir.file("c.bmp")), indices(flat, 237, 0));
}

TEST(PaletteImage, BinEdgesAndNullThreshold) {
    TempDir dir;
    const std::string grid = dir.file("grid");
    const std::array<float, 6> values{0.0f, 1.0f, 0.5f, -1.0e30f, std::nextafter(-1.0e30f, 0.0f), 7.0f};
    working_grid::Geometry g;
    g.columns = 6;
    g.rows = 1;
    const auto header = working_grid::header_bytes(g);
    std::vector<std::byte> bytes;
    append(bytes, header.data(), header.size());
    append(bytes, values.data(), sizeof values);
    testing::write_file(grid, bytes);

    Drawing run({"......"});
    run.colour_count = 238;
    ASSERT_EQ(run.draw(grid, dir.file("e.bmp")), GRIDLIB_OK);
    // Lower limit: bin 1, index 2; upper limit: bin 4096, index 237; the
    // middle: bin 2049, truncate(2048 / 4096 * 236) + 2 = 120; -1.0e30 is
    // null; the value just above it is valid (below the lower limit).
    EXPECT_EQ(read_pixels(dir.file("e.bmp")), (Pixels{{2, 237, 120, 0, 2, 237}}));
}

TEST(PaletteImage, RefusalsCreateNothing) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    const std::string out = dir.file("out.bmp");

    Drawing image(kF);
    image.desc.view().set_format(FormatCode::bil);
    image.desc.view().image_width() = 3;
    EXPECT_EQ(image.draw(dir.file("grid"), out), GRIDLIB_REFUSED);
    EXPECT_EQ(image.desc.view().image_width(), 3);

    Drawing equal(kF, 1.0f, 1.0f);
    equal.desc.view().image_width() = 3;
    EXPECT_EQ(equal.draw(dir.file("grid"), out), GRIDLIB_REFUSED);
    EXPECT_EQ(equal.desc.view().image_width(), 0);  // used up all the same

    Drawing no_colours(kF);
    no_colours.colour_count = 0;
    EXPECT_EQ(no_colours.draw(dir.file("grid"), out), GRIDLIB_REFUSED);
    no_colours.colour_count = 257;
    EXPECT_EQ(no_colours.draw(dir.file("grid"), out), GRIDLIB_REFUSED);

    Drawing no_levels(kF);
    const ConstColourTableView colours(std::span<const std::int32_t, kColourTableValues>(no_levels.colours));
    EXPECT_EQ(write_palette_image(dir.file("grid"), out, no_levels.desc.view(), 2, {}, 8, colours, ImageFormat::bmp),
              GRIDLIB_REFUSED);

    // Two columns asked to become INT32_MAX pixels: replication 2^30 makes
    // the width 2^31, more than the width field holds.
    const Picture narrow = {"X.", ".X"};
    write_grid(dir.file("narrow"), narrow);
    Drawing huge(narrow);
    huge.desc.view().image_width() = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(huge.draw(dir.file("narrow"), out), GRIDLIB_IMAGE_TOO_LARGE);
    // Six columns: the width fits, the file size (about 2^62) does not.
    Drawing big(kF);
    big.desc.view().image_width() = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(big.draw(dir.file("grid"), out), GRIDLIB_IMAGE_TOO_LARGE);

    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"grid", "narrow"}));
}

TEST(PaletteImage, FailuresLeaveNoPartialImageAndKeepTheOldOne) {
    TempDir dir;
    const std::string out = dir.file("out.bmp");
    testing::write_file(out, std::string_view("old image"));

    Drawing run(kF);
    EXPECT_EQ(run.draw(dir.file("absent"), out), GRIDLIB_IMAGE_GRID_UNREADABLE);
    // The grid ends after three of its five rows.
    write_grid(dir.file("short"), kF, working_grid::kNorthFirst, 3);
    EXPECT_EQ(run.draw(dir.file("short"), out), GRIDLIB_IMAGE_GRID_UNREADABLE);
    EXPECT_EQ(testing::read_text(out), "old image");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"out.bmp", "short"}));

    write_grid(dir.file("grid"), kF);
    EXPECT_EQ(run.draw(dir.file("grid"), dir.file("no such dir/out.bmp")), GRIDLIB_IMAGE_WRITE_FAILED);
    EXPECT_EQ(run.draw(dir.file("grid"), ""), GRIDLIB_IMAGE_WRITE_FAILED);
    EXPECT_EQ(run.draw(dir.file("grid"), dir.path()), GRIDLIB_IMAGE_WRITE_FAILED);  // a directory
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_EQ(run.draw(dir.file("grid"), dir.file("pipe")), GRIDLIB_IMAGE_WRITE_FAILED);  // never replaced
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe")));
    std::filesystem::remove(dir.file("pipe"));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"grid", "out.bmp", "short"}));

    // Success replaces the old file; through the C entry point the names
    // come from blank-padded fixed-length texts.
    const std::string grid_text = dir.file("grid") + "   ", image_text = out + std::string(20, ' ');
    const auto grid_length = static_cast<std::int32_t>(grid_text.size());
    const auto image_length = static_cast<std::int32_t>(image_text.size());
    const std::int32_t mode = 1, colour_count = 8;
    std::int32_t status = -99;
    GRD2BMP(grid_text.data(), &grid_length, image_text.data(), &image_length, run.desc.ihead.data(),
            run.desc.rhead.data(), &mode, run.levels.data(), &colour_count, run.colours.data(), &status);
    EXPECT_EQ(status, GRIDLIB_OK);
    EXPECT_EQ(read_pixels(out), indices(kF, 7, 2));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"grid", "out.bmp", "short"}));
}

TEST(PaletteImage, PngHoldsTheIndicesAndPaletteOfTheBmpWithNullsTransparent) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    const std::string bmp = dir.file("f.bmp"), png = dir.file("f.png");
    // Linear and inverted through a level table; at full size, enlarged (15
    // pixels for 6 columns: 3 each) and reduced (every 3rd cell).
    for (const std::int32_t mode : {1, -2}) {
        for (const std::int32_t width : {0, 15, 2}) {
            Drawing run(kF);
            run.levels.fill(2500);
            run.levels.front() = 900;
            for (const auto& [image, format] : {std::pair{bmp, ImageFormat::bmp}, std::pair{png, ImageFormat::png}}) {
                run.desc.view().image_width() = width;
                ASSERT_EQ(run.draw(dir.file("grid"), image, mode, format), GRIDLIB_OK);
                EXPECT_EQ(run.desc.view().image_width(), 0);
            }
            const Pixels lines = read_pixels(bmp);
            testing::ImagePixels expected{static_cast<std::int32_t>(lines[0].size()),
                                          static_cast<std::int32_t>(lines.size()), 8, {}, {}};
            for (std::size_t p = 0; p < 8; ++p)
                expected.palette.push_back({run.colours[p], run.colours[kColourEntries + p],
                                            run.colours[2 * kColourEntries + p]});
            std::vector<int> alpha;
            for (const auto& line : lines)
                for (const int index : line) {
                    expected.pixels.push_back(static_cast<std::uint32_t>(index));
                    alpha.push_back(index == 0 ? 0 : 255);
                }
            SCOPED_TRACE("mode " + std::to_string(mode) + ", width " + std::to_string(width));
            testing::expect_png_file(png, expected, alpha);
            EXPECT_EQ(testing::decode_png(png)->palette_alpha, std::vector<int>{0});
        }
    }
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"f.bmp", "f.png", "grid"}));
}

TEST(PaletteImage, PngRefusalsAndFailuresLeaveNothingBehind) {
    TempDir dir;
    write_grid(dir.file("grid"), kF);
    const std::string out = dir.file("out.png");
    testing::write_file(out, std::string_view("old image"));
    const auto png = [&](Drawing& run, const std::string& grid) {
        return run.draw(grid, out, 1, ImageFormat::png);
    };

    Drawing image(kF);
    image.desc.view().set_format(FormatCode::pcidsk);
    EXPECT_EQ(png(image, dir.file("grid")), GRIDLIB_REFUSED);
    Drawing equal(kF, 1.0f, 1.0f);
    EXPECT_EQ(png(equal, dir.file("grid")), GRIDLIB_REFUSED);
    // Two columns asked to become INT32_MAX pixels: 2^31 a side, one more
    // than the format holds.
    const Picture narrow = {"X.", ".X"};
    write_grid(dir.file("narrow"), narrow);
    Drawing huge(narrow);
    huge.desc.view().image_width() = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(png(huge, dir.file("narrow")), GRIDLIB_IMAGE_TOO_LARGE);
    // The grid ends after three of its five rows: the PNG has begun by then.
    write_grid(dir.file("short"), kF, working_grid::kNorthFirst, 3);
    Drawing run(kF);
    EXPECT_EQ(png(run, dir.file("short")), GRIDLIB_IMAGE_GRID_UNREADABLE);
    EXPECT_EQ(run.draw(dir.file("grid"), dir.path(), 1, ImageFormat::png), GRIDLIB_IMAGE_WRITE_FAILED);

    EXPECT_EQ(testing::read_text(out), "old image");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"grid", "narrow", "out.png", "short"}));
}

}  // namespace
}  // namespace gridlib
