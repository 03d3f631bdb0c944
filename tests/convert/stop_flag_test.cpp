// A caller's stop flag ends gridlib_convert at the next progress report of
// whatever step runs, or before the outputs are renamed into place: the
// folder is left as it was, earlier outputs included, with no temporary file.
#include "conversion_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace gridlib::testing {
namespace {

// Sets the flag at the first report of a phase past its start.
struct Stopper {
    std::int32_t phase;
    volatile std::int32_t flag = 0;
    int reports_after_stop = 0;
};

void stop_in_phase(void* user, const std::int32_t* phase, const std::int32_t* done, const std::int32_t*) {
    auto* stopper = static_cast<Stopper*>(user);
    if (stopper->flag) ++stopper->reports_after_stop;
    if (*phase == stopper->phase && *done > 0) stopper->flag = 1;
}

// The last report of a flat image, which its world file and colour bar follow.
constexpr std::int32_t kAfterTheLastReport = 99;
void stop_at_the_end(void* user, const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total) {
    if (*phase == GRIDLIB_PHASE_DRAWING && *done == *total) static_cast<Stopper*>(user)->flag = 1;
}

// Every entry of a folder by name, folders included, with the size and a
// hash of each regular file's bytes.
std::map<std::string, std::pair<std::size_t, std::size_t>> contents_of(const std::string& folder) {
    std::map<std::string, std::pair<std::size_t, std::size_t>> contents;
    for (const auto& [name, bytes] : files_of(folder)) contents[name] = {bytes.size(), std::hash<std::string>{}(bytes)};
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        contents.try_emplace(entry.path().filename().string());
    return contents;
}

TEST(StopFlag, EndsTheCallAndLeavesTheFolderAsItWas) {
    struct Case {
        const char* what;
        const char* output;
        std::int32_t phase;  // where the flag is set
        std::function<void(gridlib_convert_options&)> set;
        bool colour_bar = false;
    };
    const Case cases[] = {
        {"while reading", "o.bmp", GRIDLIB_PHASE_READING, [](auto&) {}},
        {"while counting", "o.bmp", GRIDLIB_PHASE_COUNTING, [](auto&) {}},
        {"while drawing", "o.png", GRIDLIB_PHASE_DRAWING, [](gridlib_convert_options& o) { o.world_file = 1; }},
        {"while taking slopes", "o.bmp", GRIDLIB_PHASE_SLOPES, [](gridlib_convert_options& o) { o.shade = 1; }},
        {"while drawing a relief", "o.bmp", GRIDLIB_PHASE_DRAWING, [](gridlib_convert_options& o) { o.shade = 1; }},
        {"while drawing tiles", "pyramid", GRIDLIB_PHASE_DRAWING, [](gridlib_convert_options& o) { o.tiles = 1; }},
        // The last report is past: the flag is seen before the outputs are renamed.
        {"after the last report", "o.png", kAfterTheLastReport, [](gridlib_convert_options& o) { o.world_file = 1; },
         true},
        {"before the call", "o.bmp", -1, [](auto&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        // Of three bands of tile rows, so that the pyramid reports between them.
        write_file(dir.file("g.asc"), wavy_grid(200, 600, 5));
        write_file(dir.file("o.bmp"), "an earlier image");
        write_file(dir.file("o.png"), "an earlier image");
        write_file(dir.file("o.pgw"), "an earlier world file");
        const auto before = contents_of(dir.path());

        gridlib_convert_options o;
        gridlib_convert_defaults(&o);
        c.set(o);
        Stopper stopper{c.phase};
        if (c.phase == -1) stopper.flag = 1;
        o.progress = c.phase == kAfterTheLastReport ? &stop_at_the_end : &stop_in_phase;
        o.user = &stopper;
        o.stop = &stopper.flag;
        const std::string input = dir.file("g.asc"), output = dir.file(c.output), bar = dir.file("bar.svg");
        if (c.colour_bar) {
            o.colour_bar = bar.c_str();
            o.colour_bar_length = static_cast<std::int32_t>(bar.size());
        }
        const auto input_length = static_cast<std::int32_t>(input.size()),
                   output_length = static_cast<std::int32_t>(output.size()), line_length = 4096;
        std::string line(4096, 'x');
        std::int32_t status = GRIDLIB_OK;
        gridlib_convert(input.data(), &input_length, output.data(), &output_length, &o, line.data(), &line_length,
                        &status);
        EXPECT_EQ(status, GRIDLIB_STOPPED);
        EXPECT_STREQ(line.c_str(), "  The conversion was stopped by its caller : nothing was written or replaced");
        EXPECT_EQ(stopper.reports_after_stop, 0);
        EXPECT_EQ(contents_of(dir.path()), before);
    }
}

// A flag that stays 0 changes nothing: the same image as without one.
TEST(StopFlag, UnsetChangesNothing) {
    TempDir dir;
    write_file(dir.file("g.asc"), wavy_grid(60, 40, 6));
    gridlib_convert_options o;
    gridlib_convert_defaults(&o);
    ASSERT_EQ(convert(dir.file("g.asc"), dir.file("plain.bmp"), o).status, GRIDLIB_OK);
    const volatile std::int32_t flag = 0;
    o.stop = &flag;
    ASSERT_EQ(convert(dir.file("g.asc"), dir.file("flagged.bmp"), o).status, GRIDLIB_OK);
    EXPECT_EQ(read_file(dir.file("plain.bmp")), read_file(dir.file("flagged.bmp")));
}

}  // namespace
}  // namespace gridlib::testing
