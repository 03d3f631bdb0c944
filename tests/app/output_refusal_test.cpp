// The image never replaces an input, however it is named, nor anything but a
// regular file; a symbolic link is followed to the image it names, and
// leads there for every comparison of outputs even while it dangles.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>
#include <vector>

namespace rastrify::testing {
namespace {

namespace fs = std::filesystem;
using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

class OutputRefusal : public ::testing::Test {
protected:
    void SetUp() override {
        grid = esri_grid(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        write_file(dir.file("g.asc"), grid);
    }
    // A run that must stop with the message about out before writing anything.
    void expect_refused(const std::vector<std::string>& arguments, const std::string& cause) {
        const RunResult r = run_rastrify(dir.path(), arguments);
        EXPECT_EQ(r.status, 1) << arguments[1];
        EXPECT_EQ(r.err, "  The output BMP file " + cause + " : " + arguments[1] + "\n") << arguments[1];
        EXPECT_TRUE(working_files(dir.path()).empty());
    }
    TempDir dir;
    std::string grid;
};

TEST_F(OutputRefusal, AnInputUnderAnyNameIsNeverReplaced) {
    expect_refused({"g.asc", "g.asc"}, "is a file of the input grid");
    expect_refused({"g.asc", "./g.asc"}, "is a file of the input grid");
    fs::create_hard_link(dir.file("g.asc"), dir.file("same.bmp"));
    expect_refused({"g.asc", "same.bmp"}, "is a file of the input grid");
    EXPECT_EQ(read_text(dir.file("g.asc")), grid);

    // The files beside the named one: an ER Mapper data file, a BIL header.
    write_file(dir.file("dem.ers"),
               "DatasetHeader Begin\n CellType = IEEE4ByteReal\n NullCellValue = -99\n Xdimension = 1\n"
               " Ydimension = 1\n NrOfLines = 1\n NrOfCellsPerLine = 2\n Eastings = 0\n Northings = 1\n"
               "DatasetHeader End\n");
    write_file(dir.file("dem"), std::string(8, '\0'));
    expect_refused({"dem.ers", "dem"}, "is a file of the input grid");
    EXPECT_EQ(fs::file_size(dir.file("dem")), 8u);
    write_file(dir.file("scene.bil"), std::string(16, '\0'));
    write_file(dir.file("scene.hdr"), "nrows 4\nncols 4\nnbands 1\nxdim 1\nydim 1\n");
    expect_refused({"scene.bil", "scene.hdr"}, "is a file of the input grid");
    EXPECT_EQ(read_text(dir.file("scene.hdr")), "nrows 4\nncols 4\nnbands 1\nxdim 1\nydim 1\n");

    const std::string levels(16394, '\0');
    write_file(dir.file("levels.his"), levels);
    expect_refused({"g.asc", "levels.his", "levels.his"}, "is the histogram file");
    EXPECT_EQ(read_text(dir.file("levels.his")), levels);
}

TEST_F(OutputRefusal, OnlyARegularFileIsReplaced) {
    fs::create_directory(dir.file("folder"));
    expect_refused({"g.asc", "folder"}, "is not a regular file");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    expect_refused({"g.asc", "pipe"}, "is not a regular file");
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
    // A device node of our own (a copy of /dev/null), where we may make one.
    if (::mknod(dir.file("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        expect_refused({"g.asc", "device"}, "is not a regular file");
        EXPECT_TRUE(fs::is_character_file(dir.file("device")));
    }
}

TEST_F(OutputRefusal, ASymbolicLinkIsFollowedAndKept) {
    fs::create_directory(dir.file("images"));
    write_file(dir.file("images/old.bmp"), "an old image");
    fs::create_symlink("images/old.bmp", dir.file("link.bmp"));
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "link.bmp"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.bmp")));
    EXPECT_EQ(fs::read_symlink(dir.file("link.bmp")), "images/old.bmp");
    const auto image = read_bmp(dir.file("images/old.bmp"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(files_in(dir.file("images")), std::set<std::string>{"old.bmp"});
}

// A link whose target does not exist yet still leads where the run would
// write: to another output, or into the tile folder.
TEST(DanglingLinkOutput, IsRefusedAsTheOutputItLeadsTo) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> links;  // name, target
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string kept = "  The histogram file to write ";
    for (const Case& c : std::vector<Case>{
             {{{"b.svg", "o.png"}}, {"o.png", "-Lb.svg"}, "  The colour bar is the output image file : b.svg"},
             {{{"k.his", "o.png"}}, {"o.png", "-Kk.his"}, kept + "is the output PNG file : k.his"},
             {{{"x.pgw", "x.png"}}, {"x.png", "-G"}, "  The world file is the output PNG file : x.pgw"},
             {{{"k.his", "x.pgw"}}, {"x.png", "-G", "-Kk.his"}, kept + "is the world file : k.his"},
             {{{"b.svg", "sub/o.png"}}, {"sub/o.png", "-Lb.svg"}, "  The colour bar is the output image file : b.svg"},
             // Through a link to a folder, then out of it again.
             {{{"up", "sub"}, {"b.svg", "up/../o.png"}}, {"./o.png", "-Lb.svg"},
              "  The colour bar is the output image file : b.svg"},
             // A chain of links, the last one dangling.
             {{{"k.his", "c.svg"}, {"c.svg", "b.svg"}}, {"o.bmp", "-Lb.svg", "-Kk.his"},
              kept + "is the colour bar : k.his"},
             {{{"k.his", "T/x.his"}}, {"T", "-T", "-Kk.his"}, kept + "would go inside the tile folder : T"},
             {{{"near", "T"}}, {"T", "-T", "-Lnear/b.svg"}, "  The colour bar would go inside the tile folder : T"},
         }) {
        TempDir dir;
        write_file(dir.file("g.asc"), esri_grid(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        fs::create_directory(dir.file("sub"));
        for (const auto& [name, target] : c.links) fs::create_symlink(target, dir.file(name));
        std::vector<std::string> arguments{"g.asc"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto before = files_in(dir.path());
        const RunResult r = run_rastrify(dir.path(), arguments);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_EQ(files_in(dir.path()), before) << c.message;
        EXPECT_TRUE(files_in(dir.file("sub")).empty()) << c.message;
    }
    // A palette known by name reads no file: an output of that name is no input.
    TempDir dir;
    write_file(dir.file("g.asc"), esri_grid(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    const RunResult named = run_rastrify(dir.path(), {"g.asc", "grey", "-Cgrey"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(read_bmp(dir.file("grey")));
}

}  // namespace
}  // namespace rastrify::testing
