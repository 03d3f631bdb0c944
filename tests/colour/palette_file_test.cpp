// Palette files: what each feature of the two formats gives, the line a
// bad file is refused at, and the colours by value as gdaldem gives them.
#include "colour/palette_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace gridlib {
namespace {

const PaletteFile& parsed(const std::variant<PaletteFile, PaletteError>& result) {
    static const PaletteFile none;
    if (const auto* error = std::get_if<PaletteError>(&result)) {
        ADD_FAILURE() << "refused at line " << error->line;
        return none;
    }
    return std::get<PaletteFile>(result);
}

// The stops as "value[%]:r,g,b,a" for compact comparison.
std::vector<std::string> stops_of(const PaletteFile& p) {
    std::vector<std::string> out;
    for (const auto& s : p.stops) {
        char text[96];
        std::snprintf(text, sizeof text, "%g%s:%d,%d,%d,%d", s.value, s.percent ? "%" : "", s.colour.red,
                      s.colour.green, s.colour.blue, s.colour.alpha);
        out.emplace_back(text);
    }
    return out;
}

TEST(PaletteFile, EachFeatureGivesItsStopsAndColours) {
    struct Case {
        const char* what;
        const char* text;
        bool gmt;
        std::vector<std::string> stops;
        std::optional<Rgba> null_colour, below, above;
    };
    const std::vector<Case> cases = {
        {"GDAL blanks, tabs, commas, colons, CR LF, comments", "# c\r\n 10 1 2 3\r\n20,4,5,6\n\n30\t7\t8\t9 100\n40:1:1:1\n",
         false, {"10:1,2,3,255", "20:4,5,6,255", "30:7,8,9,100", "40:1,1,1,255"}, {}, {}, {}},
        {"GDAL percentages and nv", "0% 0 0 0\nnv 1 2 3 0\n50% 9 9 9\n-2.5e2 5 5 5\n", false,
         {"0%:0,0,0,255", "50%:9,9,9,255", "-250:5,5,5,255"}, Rgba{1, 2, 3, 0}, {}, {}},
        {"GDAL fractions of components are dropped", "1 10.9 0 0\n", false, {"1:10,0,0,255"}, {}, {}, {}},
        {"GMT continuous r/g/b, annotation and label", "# COLOR_MODEL = RGB\n0 0/0/255 10 255/0/0 L ;low\n", true,
         {"0:0,0,255,255", "10:255,0,0,255"}, {}, {}, {}},
        {"GMT r g b, grey, names, fractions rounded", "0 1 2 3 5 4 5 6\n5 128 6 white B\n6 57.5/0.4/1 7 -\n", true,
         {"0:1,2,3,255", "5:4,5,6,255", "5:128,128,128,255", "6:255,255,255,255", "6:58,0,1,255",
          "7:255,255,255,0"}, {}, {}, {}},
        {"GMT discrete segments", "0 red 1 red\n1 0/255/0 2 0/255/0\n", true,
         {"0:255,0,0,255", "1:255,0,0,255", "1:0,255,0,255", "2:0,255,0,255"}, {}, {}, {}},
        {"GMT B, F and N", "0 black 1 white\nB 1/2/3\nF 4 5 6\nN gray\n", true,
         {"0:0,0,0,255", "1:255,255,255,255"}, Rgba{190, 190, 190, 255}, Rgba{1, 2, 3, 255}, Rgba{4, 5, 6, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = parse_palette(c.text, c.gmt);
        const PaletteFile& p = parsed(result);
        EXPECT_EQ(stops_of(p), c.stops);
        EXPECT_EQ(p.null_colour, c.null_colour);
        EXPECT_EQ(p.below, c.below);
        EXPECT_EQ(p.above, c.above);
    }
}

TEST(PaletteFile, BadLinesAreRefusedWithTheirLineAndFault) {
    struct Case {
        const char* text;
        bool gmt;
        PaletteFault fault;
        std::size_t line;
    };
    const std::vector<Case> cases = {
        {"# only a comment\n\n", false, PaletteFault::no_stops, 0},
        {"1 2 3 4\n5 6 7\n", false, PaletteFault::fields, 2},
        {"1 2 3 4 5 6\n", false, PaletteFault::fields, 1},
        {"x 2 3 4\n", false, PaletteFault::value, 1},
        {"1 2 3 4\n12%% 1 1 1\n", false, PaletteFault::value, 2},
        {"nan 1 1 1\n", false, PaletteFault::value, 1},
        {"1 256 0 0\n", false, PaletteFault::colour, 1},
        {"1 -1 0 0\n", false, PaletteFault::colour, 1},
        {"1 red 2 3\n", false, PaletteFault::colour, 1},
        {"0 0/0/0 1\n", true, PaletteFault::fields, 1},
        {"0 0/0 1 0/0/0\n", true, PaletteFault::colour, 1},
        {"0 0/0/0/0 1 0/0/0\n", true, PaletteFault::colour, 1},
        {"0 chartreuse 1 red\n", true, PaletteFault::colour, 1},
        {"a 0/0/0 1 0/0/0\n", true, PaletteFault::value, 1},
        {"0 0/0/0 1 0/0/0\nB 1 2\n", true, PaletteFault::fields, 2},
        {"0 0/0/0 1 0/0/0\nF 1/2/300\n", true, PaletteFault::colour, 2},
        {"# COLOR_MODEL = HSV\n0 0-1-1 1 0-1-1\n", true, PaletteFault::colour_model, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto result = parse_palette(c.text, c.gmt);
        ASSERT_TRUE(std::holds_alternative<PaletteError>(result));
        EXPECT_EQ(std::get<PaletteError>(result).fault, c.fault);
        EXPECT_EQ(std::get<PaletteError>(result).line, c.line);
    }
}

// The bounds against hostile files, read from a file a line at a time (the
// reads cut lines apart) and parsed from text alike: a line longer than
// 4096 bytes, or one that brings the stops beyond 65536, ends the file
// there; what lies within the bounds is read.
TEST(PaletteFile, LinesAndStopsBeyondTheBoundsEndTheFileThere) {
    auto lines = [](std::size_t count, const char* line) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += line;
        return text;
    };
    const std::string longest = "#" + std::string(kLongestPaletteLine - 1, 'x');
    const struct {
        const char* what;
        std::string text;
        bool gmt;
        PaletteFault fault;  // none: read
        std::size_t line;
    } cases[] = {
        {"longest line, CR LF", "1 2 3 4\r\n" + longest + "\r\n2 3 4 5\r\n", false, PaletteFault::none, 0},
        {"longest line, no line end", "1 2 3 4\n" + longest, false, PaletteFault::none, 0},
        {"a byte longer", "1 2 3 4\n" + longest + "x\n2 3 4 5\n", false, PaletteFault::long_line, 2},
        {"a byte longer, CR LF", "1 2 3 4\r\n" + longest + "x\r\n", false, PaletteFault::long_line, 2},
        {"NULs without a line end", "1 2 3 4\n2 3 4 5\n" + std::string(100000, '\0'), false,
         PaletteFault::long_line, 3},
        {"most stops", lines(kMostPaletteStops, "1 2 3 4\n"), false, PaletteFault::none, 0},
        {"a stop more", lines(kMostPaletteStops + 1, "1 2 3 4\n") + "x\n", false, PaletteFault::many_stops,
         kMostPaletteStops + 1},
        {"most GMT segments", lines(kMostPaletteStops / 2, "0 red 1 blue\n"), true, PaletteFault::none, 0},
        {"a GMT segment more", lines(kMostPaletteStops / 2 + 1, "0 red 1 blue\n"), true, PaletteFault::many_stops,
         kMostPaletteStops / 2 + 1},
        {"a bad line far in", lines(30000, "1 2 3 4\n") + "1 2 3\n", false, PaletteFault::fields, 30001},
    };
    gridlib::testing::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = dir.file(c.gmt ? "p.cpt" : "p.txt");
        gridlib::testing::write_file(file, c.text);
        for (const auto& result : {parse_palette(c.text, c.gmt), read_palette_file(file)}) {
            const auto* error = std::get_if<PaletteError>(&result);
            EXPECT_EQ(error ? error->fault : PaletteFault::none, c.fault);
            EXPECT_EQ(error ? error->line : 0, c.line);
        }
    }
}

// Two good lines and then 256 MB of NULs (a sparse file): refused at the
// third line once its first 4097 bytes are read, not after the whole file.
TEST(PaletteFile, AHugeFileIsReadOnlyUpToItsLineAtFault) {
    gridlib::testing::TempDir dir;
    const std::string file = dir.file("nuls.txt");
    gridlib::testing::write_file(file, "1 2 3 4\n2 3 4 5\n");
    std::filesystem::resize_file(file, std::uintmax_t{256} << 20);
    const auto result = read_palette_file(file);
    ASSERT_TRUE(std::holds_alternative<PaletteError>(result));
    EXPECT_EQ(std::get<PaletteError>(result).fault, PaletteFault::long_line);
    EXPECT_EQ(std::get<PaletteError>(result).line, 3u);
}

TEST(PaletteFile, NamesEndingInCptAreGmtTables) {
    EXPECT_TRUE(is_gmt_table("a/geo.cpt"));
    EXPECT_TRUE(is_gmt_table("GEO.CPT"));
    EXPECT_FALSE(is_gmt_table("relief.txt"));
    EXPECT_FALSE(is_gmt_table("cpt"));
    for (const char* unreadable : {"/nonexistent/p.txt", "/dev/zero", "/tmp"})
        EXPECT_EQ(std::get<PaletteError>(read_palette_file(unreadable)).fault, PaletteFault::unreadable) << unreadable;
}

TEST(ValueColours, InterpolateClampAndStepAsGdaldem) {
    // Stops at 0 and 10 (given as 0% and 50% of 0..20), a discrete step at 10.
    PaletteFile p = std::get<PaletteFile>(parse_palette("50% 200 100 0\n0% 0 0 0 0\n10 0 0 255\n", false));
    const ValueColours colours(p, 0.0, 20.0);
    struct Case {
        double value;
        Rgba colour;
    };
    const std::vector<Case> cases = {
        {-5, {0, 0, 0, 0}},          // below the first stop: clamped
        {0, {0, 0, 0, 0}},           // at a stop
        {2.5, {50, 25, 0, 64}},      // 0.25 of the way: 50.45, 25.45, 0.45, 64.2
        {2.49, {50, 25, 0, 63}},     // 49.8 + 0.45 truncated: 50; 63.5 + 0.45: 63
        {10, {200, 100, 0, 255}},    // the first of equal stops
        {15, {0, 0, 255, 255}},      // above the last: clamped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(colours(c.value), c.colour);
    }
    // B and F replace the clamping beyond the stops, not at them.
    p.below = Rgba{1, 1, 1, 255};
    p.above = Rgba{2, 2, 2, 255};
    const ValueColours bounded(p, 0.0, 20.0);
    EXPECT_EQ(bounded(-0.001), (Rgba{1, 1, 1, 255}));
    EXPECT_EQ(bounded(0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(bounded(10), (Rgba{200, 100, 0, 255}));
    EXPECT_EQ(bounded(10.001), (Rgba{2, 2, 2, 255}));
}

// may_give never misses a colour some value is given (checked against
// every colour of a fine sweep), and rules out what no value gets.
TEST(ValueColours, MayGiveEveryColourGivenAndRulesOutOthers) {
    const struct {
        const char* text;
        bool gmt;
        std::vector<std::array<std::int32_t, 3>> never;
        bool opaque;
    } cases[] = {
        {"0 0 0 0\n1 255 255 255\n", false, {{255, 0, 0}, {0, 0, 255}, {85, 170, 85}}, true},
        {"0 0 0 255\n1 0 255 255\n2 0 255 0\n3 255 255 0\n4 255 0 0\n", false, {{255, 255, 255}, {0, 0, 0}}, true},
        {"0 7 200 3\n1 250 3 90\n5 250 3 90\nnv 1 2 3 0\n", false, {{255, 255, 255}, {7, 3, 3}}, false},
        {"0 red 1 red\n1 0/0/255 2 0/0/255\nB white\nF black\n", true, {{255, 0, 255}, {128, 0, 128}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PaletteFile p = std::get<PaletteFile>(parse_palette(c.text, c.gmt));
        const ValueColours colours(p, -1.0, 6.0);
        for (int i = 0; i <= 70000; ++i) {
            const Rgba given = colours(-1.0 + 7.0 * i / 70000);
            ASSERT_TRUE(colours.may_give(given.red, given.green, given.blue))
                << given.red << "," << given.green << "," << given.blue;
        }
        for (const auto& never : c.never) EXPECT_FALSE(colours.may_give(never[0], never[1], never[2])) << never[0];
        EXPECT_EQ(colours.opaque(), c.opaque);
    }
}

}  // namespace
}  // namespace gridlib
