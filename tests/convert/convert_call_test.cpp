// gridlib_convert as a C caller meets it: callers that know a smaller
// options structure or pass none, the failure line and its status, and a failed
// call that leaves nothing behind.
#include "conversion_support.h"

#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <set>
#include <vector>

namespace gridlib::testing {
namespace {

gridlib_convert_options defaults() {
    gridlib_convert_options o;
    gridlib_convert_defaults(&o);
    return o;
}

// A caller built against an older header passes its smaller size: the
// fields beyond it are not read, whatever the memory after them holds, and
// a size that would cut a field in two (half a pointer) is refused.
TEST(ConvertCall, FieldsBeyondTheCallersSizeKeepTheirDefaults) {
    struct Case {
        std::size_t size;
        bool world_file_expected;
        std::int32_t status;
    };
    const Case cases[] = {
        {sizeof(gridlib_convert_options), true, GRIDLIB_OK},
        {offsetof(gridlib_convert_options, tiles), true, GRIDLIB_OK},  // the first layout
        {offsetof(gridlib_convert_options, tiles) + sizeof(std::int32_t), true, GRIDLIB_OK},
        {offsetof(gridlib_convert_options, world_file) + sizeof(std::int32_t), true, GRIDLIB_OK},
        {offsetof(gridlib_convert_options, world_file), false, GRIDLIB_OK},
        {offsetof(gridlib_convert_options, invert), false, GRIDLIB_OK},
        {sizeof(std::int32_t), false, GRIDLIB_REFUSED},  // not even a distribution: no structure at all
        {0, false, GRIDLIB_REFUSED},
        {offsetof(gridlib_convert_options, histogram_file) + 4, false, GRIDLIB_REFUSED},
        {offsetof(gridlib_convert_options, world_file) + 2, false, GRIDLIB_REFUSED},
        {offsetof(gridlib_convert_options, stop) + 4, false, GRIDLIB_REFUSED},
    };
    TempDir dir;
    write_file(dir.file("g.asc"), wavy_grid(20, 10, 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string stem = dir.file("o");
        stem += std::to_string(c.size);
        const std::string image = stem + ".bmp";
        gridlib_convert_options o = defaults();
        o.world_file = 1;
        o.size = static_cast<std::int32_t>(c.size);
        const CallResult r = convert(dir.file("g.asc"), image, o);
        EXPECT_EQ(r.status, c.status) << r.failure;
        EXPECT_EQ(std::filesystem::exists(stem + ".bpw"), c.world_file_expected);
        EXPECT_EQ(std::filesystem::exists(image), c.status == GRIDLIB_OK);
        if (c.size > sizeof(std::int32_t) && c.status == GRIDLIB_REFUSED) {
            EXPECT_EQ(r.failure, "  The conversion was refused : the size of its options structure, " +
                                     std::to_string(c.size) + " bytes, ends inside a field");
        }
    }
}

// The defaults fill the caller's structure up to its size and not one byte
// beyond, wherever that size ends; the routine of the earlier headers fills
// the first layout alone, which every caller built against them holds.
TEST(ConvertCall, DefaultsWriteNoBytePastTheCallersSize) {
    constexpr std::size_t kWhole = sizeof(gridlib_convert_options);
    constexpr std::size_t kFirstLayout = offsetof(gridlib_convert_options, tiles);
    constexpr unsigned char kUntouched = 0xA5;
    struct Case {
        std::int32_t size;          // -1: the routine of the earlier headers
        std::size_t written;        // bytes that may change
        std::int32_t size_set;      // the size field afterwards (untouched: not written)
    };
    const auto at = [](std::size_t offset) { return static_cast<std::int32_t>(offset); };
    const Case cases[] = {
        {-1, kFirstLayout, at(kFirstLayout)},
        {at(kWhole), kWhole, at(kWhole)},
        {at(kWhole + 24), kWhole, at(kWhole)},  // a newer caller's larger structure
        {at(kFirstLayout), kFirstLayout, at(kFirstLayout)},
        {at(offsetof(gridlib_convert_options, stop) + 4), offsetof(gridlib_convert_options, stop),
         at(offsetof(gridlib_convert_options, stop))},
        {at(offsetof(gridlib_convert_options, palette) + 4), offsetof(gridlib_convert_options, palette),
         at(offsetof(gridlib_convert_options, palette))},
        {8, 8, 8},
        {4, 4, 4},
        {3, 0, 0},
        {0, 0, 0},
        {-5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<unsigned char> memory(kWhole + 32, kUntouched);
        auto* options = reinterpret_cast<gridlib_convert_options*>(memory.data());
        if (c.size == -1) {
            (gridlib_convert_defaults)(options);
        } else {
            gridlib_convert_defaults_sized(options, &c.size);
        }
        for (std::size_t k = c.written; k < memory.size(); ++k) ASSERT_EQ(memory[k], kUntouched) << "byte " << k;
        if (c.written == 0) continue;
        EXPECT_EQ(options->size, c.size_set);
        if (c.written > offsetof(gridlib_convert_options, width)) {
            EXPECT_EQ(options->width, -1);
        }
        if (c.written > offsetof(gridlib_convert_options, exaggeration)) {
            EXPECT_EQ(options->exaggeration, 1.0f);
        }
    }
    std::int32_t whole = static_cast<std::int32_t>(kWhole);
    gridlib_convert_defaults_sized(nullptr, &whole);  // nothing to fill: no crash
}

TEST(ConvertCall, NoOptionsMeansTheDefaults) {
    TempDir dir;
    write_file(dir.file("g.asc"), wavy_grid(20, 10, 2));
    const auto length = [](const std::string& s) { return static_cast<std::int32_t>(s.size()); };
    const std::string input = dir.file("g.asc"), with = dir.file("with.bmp"), without = dir.file("without.bmp");
    ASSERT_EQ(convert(input, with, defaults()).status, GRIDLIB_OK);
    std::int32_t status = 1, input_length = length(input), output_length = length(without);
    gridlib_convert(input.data(), &input_length, without.data(), &output_length, nullptr, nullptr, nullptr, &status);
    EXPECT_EQ(status, GRIDLIB_OK);
    EXPECT_EQ(read_file(with), read_file(without));
}

// Each failure gives its status and the line rastrify prints, and leaves
// the folder as it was: no image, no working grid, no temporary file.
TEST(ConvertCall, FailuresGiveTheirStatusAndLineAndLeaveNothing) {
    struct Case {
        const char* what;
        std::function<void(gridlib_convert_options&, std::string& input, std::string& output)> set;
        std::int32_t status;
        const char* line;
    };
    static const std::string no_palette = "/nonexistent/palette.cpt";
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"missing grid", [](auto&, std::string& in, std::string&) { in += ".missing"; }, GRIDLIB_REFUSED,
         " the grid file does not exist"},
        {"log without limits", [](gridlib_convert_options& o, auto&, auto&) { o.distribution = GRIDLIB_DISTRIBUTION_LOG; },
         GRIDLIB_REFUSED, "  The min and max data values have to be supplied for log histogram option"},
        {"unknown distribution", [](gridlib_convert_options& o, auto&, auto&) { o.distribution = 3; },
         GRIDLIB_REFUSED, "  The levels distribution is not hist, lin or log : 3"},
        {"lower limit alone", [](gridlib_convert_options& o, auto&, auto&) { o.lower = 5.0f; }, GRIDLIB_REFUSED,
         "  The min and max data values are not valid"},
        {"light below the horizon",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.shade = 1;
             o.elevation = -5.0f;
         },
         GRIDLIB_REFUSED, "  The light elevation of the shaded relief is not between 0 and 90 degrees"},
        {"flat exaggeration",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.shade = 1;
             o.exaggeration = 0.0f;
         },
         GRIDLIB_REFUSED, "  The vertical exaggeration of the shaded relief is not above 0"},
        // What rastrify refuses as not a number, as C's float holds it.
        {"infinite upper limit", [](gridlib_convert_options& o, auto&, auto&) { o.upper = kInfinity; },
         GRIDLIB_REFUSED, "  The value of the upper colour limit is not a number : inf"},
        {"lower limit minus infinity",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.lower = -kInfinity;
             o.upper = 5.0f;
         },
         GRIDLIB_REFUSED, "  The value of the lower colour limit is not a number : -inf"},
        {"azimuth not a number",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.shade = 1;
             o.azimuth = kNaN;
         },
         GRIDLIB_REFUSED, "  The value of the light azimuth of the shaded relief is not a number : nan"},
        {"elevation not a number",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.shade = 1;
             o.elevation = kNaN;
         },
         GRIDLIB_REFUSED, "  The value of the light elevation of the shaded relief is not a number : nan"},
        {"infinite exaggeration",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.shade = 1;
             o.exaggeration = kInfinity;
         },
         GRIDLIB_REFUSED, "  The value of the vertical exaggeration of the shaded relief is not a number : inf"},
        {"unreadable palette file",
         [](gridlib_convert_options& o, auto&, auto&) {
             o.palette = no_palette.data();
             o.palette_length = static_cast<std::int32_t>(no_palette.size());
         },
         GRIDLIB_PALETTE_UNREADABLE, " The palette file could not be read : /nonexistent/palette.cpt"},
        {"image over its grid", [](auto&, std::string& in, std::string& out) { out = in; }, GRIDLIB_REFUSED,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_file(dir.file("g.asc"), wavy_grid(20, 10, 3));
        const auto before = files_of(dir.path());
        std::string input = dir.file("g.asc"), output = dir.file("o.bmp");
        gridlib_convert_options o = defaults();
        c.set(o, input, output);
        const CallResult r = convert(input, output, o);
        EXPECT_EQ(r.status, c.status);
        if (c.line) {
            EXPECT_EQ(r.failure, c.line);
        } else {
            EXPECT_EQ(r.failure, "  The output BMP file is a file of the input grid : " + output);
        }
        EXPECT_EQ(files_of(dir.path()), before);
    }
}

TEST(ConvertCall, TheFailureLineIsCutToTheCallersBuffer) {
    TempDir dir;
    gridlib_convert_options o = defaults();
    o.distribution = GRIDLIB_DISTRIBUTION_LOG;
    write_file(dir.file("g.asc"), wavy_grid(20, 10, 4));
    struct Case {
        std::int32_t size;
        const char* line;
    };
    for (const Case& c : {Case{1, ""}, Case{6, "  The"}, Case{4096, "  The min and max data values have to be "
                                                                     "supplied for log histogram option"}}) {
        const CallResult r = convert(dir.file("g.asc"), dir.file("o.bmp"), o, c.size);
        EXPECT_EQ(r.status, GRIDLIB_REFUSED);
        EXPECT_EQ(r.failure, c.line);
    }
}

// The limits ignored beside a histogram file, and the metres of a degree,
// are said in notes, in the order rastrify prints them.
TEST(ConvertCall, NotesComeAsRastrifyPrintsThem) {
    TempDir dir;
    ByteWriter histogram;
    histogram.i16(0).f32(60.0f).f32(140.0f);
    for (std::int32_t k = 1; k <= GRIDLIB_LEVELS; ++k) histogram.i32(k);
    write_file(dir.file("levels.his"), histogram.bytes());
    gridlib_convert_options o = defaults();
    const std::string his = dir.file("levels.his");
    o.histogram_file = his.data();
    o.histogram_file_length = static_cast<std::int32_t>(his.size());
    o.lower = 1.0f;
    o.upper = 2.0f;
    o.shade = 1;
    // A grid in longitude and latitude.
    const CallResult r = convert(test_data("netcdf/cf_north_first.nc"), dir.file("o.bmp"), o);
    ASSERT_EQ(r.notes.size(), 2u) << r.failure;
    EXPECT_TRUE(r.notes[0].starts_with("  The grid is in degrees: the slopes take 111120 m a degree")) << r.notes[0];
    EXPECT_EQ(r.notes[1], "  The supplied min and max values will be ignored");
}

// A caller's own output group receives the conversion's outputs, tile
// pyramids included: they appear at the caller's commit beside the caller's
// own files, and a conversion that fails takes its outputs back out.
TEST(ConvertCall, OutputsJoinTheCallersOpenGroup) {
    TempDir dir;
    write_file(dir.file("g.asc"), wavy_grid(20, 10, 5));
    const auto length = [](const std::string& s) { return static_cast<std::int32_t>(s.size()); };
    std::int32_t status = 1;
    gridlib_begin_outputs(&status);
    ASSERT_EQ(status, GRIDLIB_OK);
    const std::string his = dir.file("caller.his"), missing_bar = dir.file("missing/bar.svg");
    std::vector<std::int32_t> levels(GRIDLIB_LEVELS, 1);
    const float lower = 0, upper = 1;
    const std::int32_t his_length = length(his);
    gridlib_write_histogram_file(his.data(), &his_length, &lower, &upper, levels.data(), &status);
    ASSERT_EQ(status, GRIDLIB_OK);
    gridlib_convert_options tiles = defaults(), failing = defaults();
    tiles.tiles = 1;
    failing.colour_bar = missing_bar.data();  // drawn after the image, and failing
    failing.colour_bar_length = length(missing_bar);
    EXPECT_EQ(convert(dir.file("g.asc"), dir.file("image.png"), defaults()).status, GRIDLIB_OK);
    EXPECT_EQ(convert(dir.file("g.asc"), dir.file("pyramid"), tiles).status, GRIDLIB_OK);
    EXPECT_NE(convert(dir.file("g.asc"), dir.file("failed.png"), failing).status, GRIDLIB_OK);
    for (const char* name : {"caller.his", "image.png", "pyramid", "failed.png"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name << " before the caller's commit";
    gridlib_commit_outputs(&status);
    EXPECT_EQ(status, GRIDLIB_OK);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"g.asc", "caller.his", "image.png", "pyramid"}));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("pyramid/tiles/0/0/0.png")));
}

}  // namespace
}  // namespace gridlib::testing
