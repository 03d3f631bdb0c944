// Tile pyramids through the real executable (-T): the finest tiles are crops
// of the PNG image of the same options, a coarser tile shows the colour of
// the mean of each 2 x 2 block, and refusals and interrupted runs leave the
// folder as they found it.
#include "run_support.h"

#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::decode_png;
using gridlib::testing::DecodedPng;
using gridlib::testing::read_file;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

constexpr int kSide = 256;
constexpr double kNull = -9999;

// An ESRI ASCII grid written with every digit a float needs.
std::string grid_text(int columns, int rows, const std::vector<double>& v) {
    std::string s = "ncols " + std::to_string(columns) + "\nnrows " + std::to_string(rows) +
                    "\nxllcorner 1000\nyllcorner 2000\ncellsize 10\nNODATA_value -9999\n";
    char number[32];
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            std::snprintf(number, sizeof number, "%.9g%c", v[static_cast<std::size_t>(r * columns + c)],
                          c + 1 < columns ? ' ' : '\n');
            s += number;
        }
    return s;
}

// Values that vary in both directions, with a few null cells and one whole
// null 2 x 2 block.
std::vector<double> varied(int columns, int rows) {
    std::vector<double> v;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            v.push_back((r * 7 + c * 13) % 23 == 5 || (r / 2 == 3 && c / 2 == 4) ? kNull : (r * 3 + c * 5) % 211 + 1);
    return v;
}

// The 2 x 2 means of a level, as the pyramid makes the next coarser one.
std::vector<double> means(const std::vector<double>& v, int columns, int rows) {
    const int w = (columns + 1) / 2, h = (rows + 1) / 2;
    std::vector<double> out;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            double sum = 0;
            int n = 0;
            for (int dr = 0; dr < 2; ++dr)
                for (int dc = 0; dc < 2; ++dc) {
                    const int rr = 2 * r + dr, cc = 2 * c + dc;
                    if (rr >= rows || cc >= columns) continue;
                    const double x = static_cast<float>(v[static_cast<std::size_t>(rr * columns + cc)]);
                    if (x != kNull) sum += x, ++n;
                }
            out.push_back(n ? static_cast<float>(sum / n) : kNull);
        }
    return out;
}

// A pixel of a decoded PNG as red, green, blue and alpha, palette or not.
std::uint32_t rgba_at(const DecodedPng& png, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t p = png.pixels[y * png.width + x];
    if (!png.indexed) return p;
    const auto& c = png.palette[p];
    const int alpha = p < png.palette_alpha.size() ? png.palette_alpha[p] : 255;
    return alpha == 0 ? 0 : gridlib::testing::rgba(c[0], c[1], c[2], alpha);
}

// Every tile of level z against the image of the whole level (null and
// beyond the edges transparent).
void expect_level_is_image(const std::string& folder, int z, const DecodedPng& image) {
    const int tile_columns = (static_cast<int>(image.width) + kSide - 1) / kSide;
    const int tile_rows = (static_cast<int>(image.height) + kSide - 1) / kSide;
    for (int ty = 0; ty < tile_rows; ++ty)
        for (int tx = 0; tx < tile_columns; ++tx) {
            const std::string name =
                folder + "/tiles/" + std::to_string(z) + "/" + std::to_string(tx) + "/" + std::to_string(ty) + ".png";
            const auto tile = decode_png(name);
            ASSERT_TRUE(tile) << name;
            ASSERT_EQ(tile->width, 256u);
            ASSERT_EQ(tile->height, 256u);
            int wrong = 0;
            for (std::uint32_t y = 0; y < 256; ++y)
                for (std::uint32_t x = 0; x < 256; ++x) {
                    const std::uint32_t gx = tx * kSide + x, gy = ty * kSide + y;
                    const std::uint32_t want = gx < image.width && gy < image.height ? rgba_at(image, gx, gy) : 0;
                    if (rgba_at(*tile, x, y) != want) ++wrong;
                }
            EXPECT_EQ(wrong, 0) << name;
        }
}

class TilesRun : public ::testing::Test {
protected:
    RunResult run(std::vector<std::string> arguments) { return run_rastrify(dir.path(), arguments); }
    TempDir dir;
};

TEST_F(TilesRun, FinestTilesAreCropsOfTheImageAndCoarserOnesShowTheMeans) {
    // Odd sides: the east and south edges reduce from one or two cells; three levels.
    const int columns = 301, rows = 517;
    const auto finest = varied(columns, rows);
    write_file(dir.file("g.asc"), grid_text(columns, rows, finest));
    const auto coarser = means(finest, columns, rows);
    write_file(dir.file("m.asc"), grid_text((columns + 1) / 2, (rows + 1) / 2, coarser));
    struct Case {
        const char* name;
        std::vector<std::string> options;
        bool same_colours_for_means;  // fixed limits and levels: the means' image uses the same colours
    };
    for (const Case& c : std::vector<Case>{{"hist", {}, false},
                                           {"lin with limits", {"-Hlin", "-m1", "-M211"}, true},
                                           {"log inverted", {"-Hlog", "-m1", "-M300", "-I"}, true},
                                           {"named palette", {"-Hlin", "-m20", "-M150", "-Cviridis"}, true}}) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> image = {"g.asc", "g.png"}, tiles = {"g.asc", "out", "-T"},
                                 mean_image = {"m.asc", "m.png"};
        for (auto* args : {&image, &tiles, &mean_image}) args->insert(args->end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run(image).status, 0);
        const RunResult r = run(tiles);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto png = decode_png(dir.file("g.png"));
        ASSERT_TRUE(png);
        expect_level_is_image(dir.file("out"), 2, *png);
        if (c.same_colours_for_means) {
            ASSERT_EQ(run(mean_image).status, 0);
            const auto mean_png = decode_png(dir.file("m.png"));
            ASSERT_TRUE(mean_png);
            expect_level_is_image(dir.file("out"), 1, *mean_png);
        }
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("out/tiles/0/0/0.png")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out/tiles/3")));
    }
}

TEST_F(TilesRun, ValueTilesAndFactsDescribeTheGrid) {
    const int columns = 300, rows = 260;
    const auto v = varied(columns, rows);
    write_file(dir.file("g.asc"), grid_text(columns, rows, v));
    ASSERT_EQ(run({"g.asc", "out", "-T"}).status, 0);
    const auto bytes = read_file(dir.file("out/values/1/1.f32"));
    ASSERT_EQ(bytes.size(), 256u * 256u * 4u);
    const auto value = [&](int x, int y) {
        float f = 0;
        std::memcpy(&f, bytes.data() + 4 * (y * 256 + x), 4);
        return f;
    };
    // Cell (column 256 + x, row 256 + y); beyond the grid NaN.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 44; ++x) {
            const double want = v[static_cast<std::size_t>((256 + y) * columns + 256 + x)];
            if (want == kNull) {
                EXPECT_TRUE(std::isnan(value(x, y))) << x << "," << y;
            } else {
                EXPECT_EQ(value(x, y), static_cast<float>(want)) << x << "," << y;
            }
        }
    EXPECT_TRUE(std::isnan(value(44, 0)));
    EXPECT_TRUE(std::isnan(value(0, 4)));
    const std::string facts = read_text(dir.file("out/pyramid.json"));
    EXPECT_NE(facts.find("\"columns\": 300,"), std::string::npos) << facts;
    EXPECT_NE(facts.find("\"rows\": 260,"), std::string::npos);
    EXPECT_NE(facts.find("\"levels\": 2,"), std::string::npos);
    EXPECT_NE(facts.find("\"geotransform\": [1000, 10, 0, 4600, 0, -10]"), std::string::npos) << facts;
    for (const char* name : {"index.html", "viewer.js", "leaflet.js", "leaflet.css", "colour_bar.svg"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.file(std::string("out/") + name))) << name;
}

TEST_F(TilesRun, RefusalsLeaveTheFolderAsItWas) {
    write_file(dir.file("g.asc"), grid_text(6, 5, varied(6, 5)));
    std::filesystem::create_directory(dir.file("mine"));
    write_file(dir.file("mine/notes.txt"), "mine");
    write_file(dir.file("plain"), "a file");
    std::filesystem::create_directory(dir.file("holder"));
    write_file(dir.file("holder/h.asc"), grid_text(6, 5, varied(6, 5)));
    // Limits that do not ascend, which only the pyramid writer meets.
    gridlib::testing::ByteWriter descending;
    descending.i16(0).f32(211).f32(1);
    for (int k = 1; k <= 4096; ++k) descending.i32(k);
    write_file(dir.file("down.his"), descending.bytes());
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
             {{"g.asc", "mine", "-T"}, "The tile folder holds a file that rastrify did not write : mine/notes.txt"},
             {{"g.asc", "plain", "-T"}, "The tile folder exists and is not a folder : plain"},
             {{"g.asc", ".", "-T"}, "The tile folder needs a name of its own : ."},
             {{"g.asc", "out", "-T", "-S"}, "The option -T makes tiles of colours only, not of a shaded relief (-S)"},
             {{"g.asc", "out", "-T", "-W50"}, "The option -T makes tiles of one pixel per cell: -W does not apply"},
             {{"g.asc", "out", "-G", "-T"}, "The option -T places the tiles in pyramid.json: -G does not apply"},
             {{"holder/h.asc", "holder", "-T"}, "The tile folder holds the input grid : holder"},
             {{"g.asc", "out", "-T", "down.his"},
              "The tile pyramid could not be written in out : the colour limits do not ascend (status -1)"},
             {{"g.asc", "out", "-T", "-Lout/bar.svg"}, "The colour bar would go inside the tile folder : out"},
             {{"g.asc", "out", "-T", "-K./out/k.his"},
              "The histogram file to write would go inside the tile folder : out"},
         }) {
        const auto before = files_in(dir.path());
        const RunResult r = run(c.arguments);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.err, "  " + c.message + "\n");
        EXPECT_EQ(files_in(dir.path()), before) << c.message;
        EXPECT_EQ(read_text(dir.file("mine/notes.txt")), "mine");
    }
}

TEST_F(TilesRun, AnEarlierPyramidIsReplacedButNotOneThatHoldsTheInput) {
    write_file(dir.file("g.asc"), grid_text(6, 5, varied(6, 5)));
    ASSERT_EQ(run({"g.asc", "out", "-T"}).status, 0);
    write_file(dir.file("h.asc"), grid_text(300, 5, varied(300, 5)));
    const RunResult r = run({"h.asc", "out/", "-T", "-Hlin"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/tiles/1/1/0.png")));
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"g.asc", "h.asc", "out"}));
    // The input inside the pyramid: the run would replace it.
    std::filesystem::copy_file(dir.file("g.asc"), dir.file("out/g.asc"));
    const RunResult inside = run({"out/g.asc", "out", "-T"});
    EXPECT_EQ(inside.status, 1);
    EXPECT_EQ(inside.err, "  The tile folder holds the input grid : out\n");
}

TEST_F(TilesRun, AnInterruptedRunLeavesNeitherItsFolderNorLessOfTheEarlierPyramid) {
    write_file(dir.file("g.asc"), grid_text(600, 600, varied(600, 600)));
    ASSERT_EQ(run({"g.asc", "old", "-T"}).status, 0);
    const auto old_tile = read_file(dir.file("old/tiles/0/0/0.png"));
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const char* at : {"tiles/2/1/", "values/2/", "leaflet.css"}) {
            SCOPED_TRACE(at);
            for (const char* target : {"fresh", "old"}) {
                const auto before = files_in(dir.path());
                const pid_t pid = spawn_rastrify({dir.file("g.asc"), dir.file(target), "-T", "-Hlin"}, {at, 1, signal});
                ASSERT_GT(pid, 0);
                int status = 0;
                ASSERT_EQ(::waitpid(pid, &status, 0), pid);
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << target;
                EXPECT_EQ(files_in(dir.path()), before) << target;
            }
            EXPECT_EQ(read_file(dir.file("old/tiles/0/0/0.png")), old_tile);
        }
    }
}

// Damaged inputs: levels beyond the colours are clamped, a short histogram
// file and a grid that cannot be read end the run with nothing left.
TEST_F(TilesRun, HostileInputsEndCleanly) {
    write_file(dir.file("g.asc"), grid_text(300, 20, varied(300, 20)));
    gridlib::testing::ByteWriter wild;
    wild.i16(0).f32(1).f32(211);
    for (int k = 0; k < 4096; ++k) wild.i32(k % 3 == 0 ? -7 : k % 3 == 1 ? 1 << 30 : k);
    write_file(dir.file("wild.his"), wild.bytes());
    write_file(dir.file("short.his"), std::string(100, '\0'));
    const std::string source = std::getenv("GRIDLIB_SOURCE_DIR") ? std::getenv("GRIDLIB_SOURCE_DIR") : "";
    std::filesystem::copy_file(source + "/tests/data/hostile/esri_huge_row.asc", dir.file("huge_row.asc"));
    struct Case {
        std::vector<std::string> arguments;
        int status;
    };
    for (const Case& c : std::vector<Case>{{{"g.asc", "wild", "-T", "wild.his"}, 0},
                                           {{"g.asc", "short", "-T", "short.his"}, 1},
                                           {{"huge_row.asc", "huge", "-T"}, 1}}) {
        const auto before = files_in(dir.path());
        const RunResult r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments[1] << r.err;
        if (c.status != 0) {
            EXPECT_EQ(files_in(dir.path()), before) << c.arguments[1];
            continue;
        }
        const auto tile = decode_png(dir.file(c.arguments[1] + "/tiles/1/1/0.png"));
        ASSERT_TRUE(tile);
        EXPECT_EQ(rgba_at(*tile, 0, 0) & 0xff, 255u);  // a valid cell, opaque
    }
}

}  // namespace
}  // namespace rastrify::testing
