// Palettes through the real executable: a palette file's image agrees with
// gdaldem color-relief, a named palette colours the levels the rainbow
// would, every palette shades, and a palette file that cannot be used
// stops the run before anything is written.
#include "run_support.h"

#include "support/gdal_info.h"
#include "support/png_decode.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include "gridlib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace rastrify::testing {
namespace {

using gridlib::testing::decode_png;
using gridlib::testing::test_data;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

int channel(std::uint32_t rgba, int shift) { return static_cast<int>((rgba >> shift) & 0xFFu); }

class Palettes : public ::testing::Test {
protected:
    RunResult run(const std::vector<std::string>& arguments) { return run_rastrify(dir.path(), arguments); }
    TempDir dir;
};

// The elevation model and palette files of tools/make_palette_samples.sh;
// gdaldem gives no-data cells without an nv colour 0, 0, 0, 0 and the
// converter transparent white, so the valid cells (opaque in the converter's
// image unless the palette says otherwise) are compared.
TEST_F(Palettes, PaletteFileImagesAgreeWithGdaldem) {
    if (!gridlib::testing::have_gdalinfo()) GTEST_SKIP() << "GDAL's tools are not installed";
    const std::string dem = test_data("palette/dem.tif");
    // The GMT table against its stops as gdaldem reads them.
    for (const auto& [palette, stops] : {std::pair{"relief.txt", "relief.txt"}, std::pair{"geo.cpt", "geo_stops.txt"}}) {
        SCOPED_TRACE(palette);
        const std::string path = test_data(std::string("palette/") + stops);
        const RunResult r = run({dem, "ours.png", "-C" + test_data(std::string("palette/") + palette)});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string command = "gdaldem color-relief -q -alpha -of PNG '" + dem + "' '" + path + "' '" +
                                    dir.file("gdal.png") + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto ours = decode_png(dir.file("ours.png"));
        const auto gdal = decode_png(dir.file("gdal.png"));
        ASSERT_TRUE(ours && gdal);
        ASSERT_EQ(ours->pixels.size(), gdal->pixels.size());
        std::size_t valid = 0, agreeing = 0;
        int largest = 0;
        for (std::size_t i = 0; i < ours->pixels.size(); ++i) {
            if (gdal->pixels[i] == 0) continue;  // no data
            ++valid;
            int difference = 0;
            for (int shift : {24, 16, 8, 0})
                difference = std::max(difference, std::abs(channel(ours->pixels[i], shift) -
                                                           channel(gdal->pixels[i], shift)));
            largest = std::max(largest, difference);
            if (difference <= 1) ++agreeing;
        }
        EXPECT_GT(valid, 10000u);
        EXPECT_GE(agreeing * 1000, valid * 999) << agreeing << " of " << valid;
        std::printf("%s: %zu of %zu valid pixels within 1 of gdaldem, largest difference %d\n", palette,
                    agreeing, valid, largest);
    }
}

TEST_F(Palettes, NamedPalettesColourTheLevelsTheRainbowColours) {
    std::vector<double> v;
    for (int i = 0; i < 7 * 5; ++i) v.push_back(i == 3 ? -9999 : (i * 53) % 31);
    write_file(dir.file("g.asc"), esri_grid(7, 5, v));
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{}, {"-Hlin", "-I"}, {"-Hlog", "-m1", "-M40"}, {"-W14"}}) {
        std::vector<std::string> args{"g.asc", "rainbow.bmp"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(run(args).status, 0);
        const auto rainbow = read_bmp(dir.file("rainbow.bmp"));
        for (const std::string name : {"grey", "viridis", "cividis", "magma", "turbo", "terrain", "diverging"}) {
            SCOPED_TRACE(name + (options.empty() ? "" : " " + options[0]));
            auto named = args;
            named[1] = name + ".bmp";
            named.push_back("-C" + name);
            const RunResult r = run(named);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, start_text());
            const auto bmp = read_bmp(dir.file(name + ".bmp"));
            ASSERT_TRUE(bmp && rainbow);
            ASSERT_EQ(bmp->bits, 8);
            // The same indices; the palette the library names.
            std::vector<std::int32_t> table(3 * GRIDLIB_COLOURS);
            std::int32_t count = 0, status = GRIDLIB_REFUSED;
            const auto length = static_cast<std::int32_t>(name.size());
            gridlib_named_palette(name.data(), &length, &count, table.data(), &status);
            ASSERT_EQ(status, GRIDLIB_OK);
            for (int y = 0; y < bmp->height; ++y)
                for (int x = 0; x < bmp->width; ++x) {
                    ASSERT_EQ(bmp->pixel(x, y), rainbow->pixel(x, y));
                    const std::size_t at = 54 + 4 * static_cast<std::size_t>(bmp->pixel(x, y));
                    const auto entry = static_cast<std::size_t>(bmp->pixel(x, y));
                    EXPECT_EQ(bmp->bytes[at + 2], table[entry]);
                    EXPECT_EQ(bmp->bytes[at], table[2 * GRIDLIB_COLOURS + entry]);
                }
        }
    }
}

TEST_F(Palettes, EveryPaletteShades) {
    std::vector<double> v;
    for (int i = 0; i < 9 * 8; ++i) v.push_back((i % 9) * (i % 9) + 3.0 * (i / 9));
    write_file(dir.file("g.asc"), esri_grid(9, 8, v));
    write_file(dir.file("p.txt"), "0 255 0 0\n100 255 0 0\n");
    struct Case {
        const char* palette;
        bool grey;     // every pixel grey
        bool all_red;  // every pixel a shade of red
    };
    for (const Case& c : {Case{"-Cgrey", true, false}, Case{"-Cp.txt", false, true}, Case{"-Cviridis", false, false}}) {
        SCOPED_TRACE(c.palette);
        const RunResult r = run({"g.asc", "s.bmp", "-S", c.palette});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto bmp = read_bmp(dir.file("s.bmp"));
        ASSERT_TRUE(bmp);
        ASSERT_EQ(bmp->bits, 24);
        std::set<std::uint32_t> colours;
        for (int y = 0; y < bmp->height; ++y)
            for (int x = 0; x < bmp->width; ++x) {
                const std::uint32_t rgb = bmp->colour(x, y);
                colours.insert(rgb);
                const int red = static_cast<int>(rgb >> 16), green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
                if (c.grey) {
                    EXPECT_TRUE(red == green && green == blue) << rgb;
                }
                if (c.all_red) {
                    EXPECT_TRUE(green == blue && red >= green) << rgb;
                }
            }
        EXPECT_GT(colours.size(), 5u);  // shades, not one flat colour
    }
}

TEST_F(Palettes, APaletteFileThatCannotBeUsedStopsTheRun) {
    write_file(dir.file("g.asc"), esri_grid(3, 2, {1, 2, 3, 4, 5, 6}));
    struct Case {
        const char* name;
        const char* content;  // nullptr: no such file
        std::string message;
    };
    const std::string long_line = "1 2 3 4\n#" + std::string(5000, 'x') + "\n";
    const std::vector<Case> cases = {
        {"missing.txt", nullptr, "The palette file could not be read : missing.txt"},
        {"empty.txt", "# nothing\n", "The palette file holds no value with a colour : empty.txt"},
        {"short.txt", "1 2 3 4\n2 3 4\n",
         "The palette file has a line it cannot use, line 2, where it has too few or too many fields : short.txt"},
        {"value.txt", "low 2 3 4\n", "The palette file has a line it cannot use, line 1, where its value is not a "
                                     "number : value.txt"},
        {"colour.cpt", "# c\n0 0/0/0 1 0/0/999\n",
         "The palette file has a line it cannot use, line 2, where a colour is not made of numbers 0 to 255 : "
         "colour.cpt"},
        {"hsv.cpt", "# COLOR_MODEL = hsv\n", "The palette file has a line it cannot use, line 1, where its colour "
                                              "model is not RGB : hsv.cpt"},
        {"long.txt", long_line.c_str(),
         "The palette file has a line it cannot use, line 2, where it is longer than 4096 bytes : long.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content) write_file(dir.file(c.name), c.content);
        const auto before = files_in(dir.path());
        const RunResult r = run({"g.asc", "out.png", std::string("-C") + c.name});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, " " + c.message + "\n");
        EXPECT_EQ(files_in(dir.path()), before);
    }
}

TEST_F(Palettes, APaletteFileIsNeverReplaced) {
    write_file(dir.file("g.asc"), esri_grid(3, 2, {1, 2, 3, 4, 5, 6}));
    write_file(dir.file("p.bmp"), "1 0 0 0\n6 255 255 255\n");
    const RunResult refused = run({"g.asc", "./p.bmp", "-Cp.bmp"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "  The output BMP file is the palette file : ./p.bmp\n");
    EXPECT_EQ(gridlib::testing::read_text(dir.file("p.bmp")), "1 0 0 0\n6 255 255 255\n");
}

// -W scales a palette file's image as it scales a named palette's: the
// same pixels kept (the southern row and every n-th row north of it, the
// first column and every n-th after it) or repeated, and the same world file.
TEST_F(Palettes, APaletteFileImageTakesTheWidthAsTheOtherPalettesDo) {
    const int columns = 7, rows = 6;
    std::vector<double> values;
    for (int i = 0; i < columns * rows; ++i) values.push_back(i == 9 ? -9999.0 : 3.0 * i + (i % 5));
    write_file(dir.file("g.asc"), esri_grid(columns, rows, values));
    write_file(dir.file("p.txt"), "0% 0 0 255\n50% 0 255 0 200\n100% 255 0 0\n");
    ASSERT_EQ(run({"g.asc", "full.png", "-Cp.txt"}).status, 0);
    const auto full = decode_png(dir.file("full.png"));
    ASSERT_TRUE(full);
    const struct {
        const char* width;
        std::uint32_t step, replication;
    } cases[] = {{"-W3", 2, 1}, {"-W4", 2, 1}, {"-W1", 7, 1}, {"-W20", 1, 3}, {"-W7", 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        ASSERT_EQ(run({"g.asc", "file.png", "-Cp.txt", c.width, "-G"}).status, 0);
        ASSERT_EQ(run({"g.asc", "named.png", "-Cviridis", c.width, "-G"}).status, 0);
        const auto file = decode_png(dir.file("file.png"));
        const auto named = decode_png(dir.file("named.png"));
        ASSERT_TRUE(file && named);
        ASSERT_EQ(file->width, named->width);
        ASSERT_EQ(file->height, named->height);
        const std::uint32_t kept_rows = (rows - 1) / c.step + 1;
        ASSERT_EQ(file->height, kept_rows * c.replication);
        for (std::uint32_t y = 0; y < file->height; ++y) {
            // Counted from the south, as the rows are kept.
            const std::uint32_t from_south = (file->height - 1 - y) / c.replication * c.step;
            for (std::uint32_t x = 0; x < file->width; ++x) {
                const std::uint32_t source = (rows - 1 - from_south) * columns + x / c.replication * c.step;
                ASSERT_EQ(file->pixels[y * file->width + x], full->pixels[source]) << x << ", " << y;
            }
        }
        if (!gridlib::testing::have_gdalinfo()) continue;
        const auto placed = gridlib::testing::gdal_geotransform(dir.file("file.png"));
        ASSERT_EQ(placed.size(), 6u);
        EXPECT_EQ(placed, gridlib::testing::gdal_geotransform(dir.file("named.png")));
        EXPECT_DOUBLE_EQ(placed[1], 10.0 * c.step / c.replication);
    }
}

}  // namespace
}  // namespace rastrify::testing
