// The working grid file: private to its run, and gone after every ending.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

TEST(WorkingGrid, TwoRunsInOneDirectoryKeepTheirOwn) {
    TempDir dir;
    write_file(dir.file("wide.asc"), varied_grid(800, 300));
    write_file(dir.file("tall.asc"), varied_grid(300, 800));
    // A file of the old fixed working name must not be touched either.
    write_file(dir.file("~rastrify.tmp"), "someone else's");
    const std::string exe = rastrify_path();
    const std::string command = "cd '" + dir.path() + "' && ('" + exe +
                                "' wide.asc wide.bmp > wide.out 2>&1; echo $? > wide.status) & "
                                "(cd '" + dir.path() + "' && '" + exe +
                                "' tall.asc tall.bmp > tall.out 2>&1; echo $? > tall.status) & wait";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(gridlib::testing::read_text(dir.file("wide.status")), "0\n");
    EXPECT_EQ(gridlib::testing::read_text(dir.file("tall.status")), "0\n");
    const auto wide = read_bmp(dir.file("wide.bmp"));
    const auto tall = read_bmp(dir.file("tall.bmp"));
    ASSERT_TRUE(wide && tall);
    EXPECT_EQ(wide->width, 800);
    EXPECT_EQ(wide->height, 300);
    EXPECT_EQ(tall->width, 300);
    EXPECT_EQ(tall->height, 800);
    EXPECT_EQ(working_files(dir.path()), std::vector<std::string>{"~rastrify.tmp"});
    EXPECT_EQ(gridlib::testing::read_text(dir.file("~rastrify.tmp")), "someone else's");
}

TEST(WorkingGrid, LandsBesideTheImageAndIsRemovedAtTheEnd) {
    TempDir dir, elsewhere;
    write_file(dir.file("g.asc"), varied_grid(20, 10));
    const RunResult r = run_rastrify(dir.path(), {"g.asc", elsewhere.file("g.bmp")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(files_in(dir.path()), std::set<std::string>{"g.asc"});
    EXPECT_EQ(files_in(elsewhere.path()), std::set<std::string>{"g.bmp"});
}

}  // namespace
}  // namespace rastrify::testing
