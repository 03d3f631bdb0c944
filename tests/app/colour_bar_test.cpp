// The colour bar beside the image (-L): written with the image or not at
// all, refused as every output is, and leaving the image as it was.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rastrify::testing {
namespace {

namespace fs = std::filesystem;
using gridlib::testing::read_file;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

class ColourBarRun : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(dir.file("g.asc"), esri_grid(4, 3, {1, 2, 3, 4, 5, -9999, 7, 8, 9, 10, 11, 12}));
    }
    TempDir dir;
};

TEST_F(ColourBarRun, WritesTheBarBesideAnUnchangedImage) {
    ASSERT_EQ(run_rastrify(dir.path(), {"g.asc", "plain.png", "-Hlin"}).status, 0);
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "o.png", "-Hlin", "-Lbar.svg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, start_text());
    EXPECT_EQ(read_file(dir.file("o.png")), read_file(dir.file("plain.png")));
    const std::string svg = read_text(dir.file("bar.svg"));
    EXPECT_NE(svg.find(">g.asc</text>"), std::string::npos);
    EXPECT_NE(svg.find(">no data</text>"), std::string::npos);
    EXPECT_NE(svg.find("data-value=\"12\">12</text>"), std::string::npos) << svg;

    // A PNG bar of a shaded relief, the title without the folder.
    fs::create_directory(dir.file("sub"));
    write_file(dir.file("sub/h.asc"), esri_grid(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(run_rastrify(dir.path(), {"sub/h.asc", "r.bmp", "-S", "-LBAR.PNG"}).status, 0);
    EXPECT_GT(fs::file_size(dir.file("BAR.PNG")), 1000u);
}

TEST_F(ColourBarRun, RefusalsStopTheRunBeforeAnythingIsWritten) {
    fs::create_directory(dir.file("folder.svg"));
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"g.asc", "o.bmp", "-Lbar.txt"},
         "  The colour bar of the option -L needs a name ending in .svg or .png : -Lbar.txt\n"},
        {{"g.asc", "o.bmp", "-L.svg"}, "  The colour bar of the option -L needs a name ending in .svg or .png : -L.svg\n"},
        {{"g.asc", "o.png", "-Lo.png"}, "  The colour bar is the output image file : o.png\n"},
        {{"g.asc", "o.png", "-Lfolder.svg"}, "  The colour bar is not a regular file : folder.svg\n"},
        {{"g.asc", "o.png", "-L" + std::string(257, 'b') + ".svg"},
         "  The name of the colour bar is longer than 256 characters\n"},
    };
    for (const auto& c : cases) {
        const RunResult r = run_rastrify(dir.path(), c.arguments);
        EXPECT_EQ(r.status, 1) << c.arguments[2];
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(fs::exists(dir.file("o.bmp")) || fs::exists(dir.file("o.png"))) << c.arguments[2];
    }
}

TEST_F(ColourBarRun, ABarThatCannotBeWrittenTakesTheImageWithIt) {
    write_file(dir.file("o.bmp"), "old image");
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "o.bmp", "-Lmissing/bar.svg"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("  The colour bar missing/bar.svg could not be written : ", 0), 0u) << r.err;
    EXPECT_EQ(read_text(dir.file("o.bmp")), "old image");
    EXPECT_TRUE(working_files(dir.path()).empty());
}

}  // namespace
}  // namespace rastrify::testing
