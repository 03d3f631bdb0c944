// The colour bar beside the image (-L): written with the image or not at
// all, refused as every output is, and leaving the image as it was.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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

// A palette file's bar: its own values labelled (those within the data,
// percentages resolved, none overlapping), the image as without the bar; its kept levels
// are still refused, a palette file having none.
TEST_F(ColourBarRun, APaletteFileHasABarOfItsOwnValues) {
    write_file(dir.file("p.txt"), "-50 0 0 0\n0% 10 10 10\n3 50 50 50\n6 200 0 0\n50% 0 0 200\n40 1 1 1\nnv 0 255 0\n");
    ASSERT_EQ(run_rastrify(dir.path(), {"g.asc", "plain.png", "-Cp.txt"}).status, 0);
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "o.png", "-Cp.txt", "-Lbar.svg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("o.png")), read_file(dir.file("plain.png")));
    const std::string svg = read_text(dir.file("bar.svg"));
    EXPECT_NE(svg.find(">g.asc</text>"), std::string::npos);
    EXPECT_NE(svg.find("class=\"no-data\" fill=\"#00ff00\""), std::string::npos) << svg;
    std::vector<std::string> labels;
    for (auto at = svg.find("class=\"label\""); at != std::string::npos; at = svg.find("class=\"label\"", at + 1))
        labels.push_back(svg.substr(svg.find('>', at) + 1, svg.find('<', at) - svg.find('>', at) - 1));
    // 6 lies too close to 6.5, the highest, to be labelled.
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "3", "6.5"}));

    const RunResult kept = run_rastrify(dir.path(), {"g.asc", "k.png", "-Cp.txt", "-Kkept.his"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "  The histogram file is kept for levels only, not for a palette file : p.txt\n");
    EXPECT_FALSE(fs::exists(dir.file("k.png")) || fs::exists(dir.file("kept.his")));
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
