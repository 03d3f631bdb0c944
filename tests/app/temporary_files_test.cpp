// What a run leaves on disk, and what it refuses to write: a working grid
// larger than its file system can hold is refused before anything is
// written; a folder renamed during a run keeps no working grid; a run killed
// outright leaves files whose names tell the process they belonged to.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <sys/statvfs.h>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

// A compressed GXF group of 4 characters holding n (base 90, "%" the digit 0).
std::string gxf_group(std::int64_t n) {
    std::string group(4, '%');
    for (int k = 3; k >= 0; --k, n /= 90) group[static_cast<std::size_t>(k)] = static_cast<char>('%' + n % 90);
    return group;
}

TEST(TemporaryFiles, AWorkingGridLargerThanTheFileSystemIsRefusedBeforeAnythingIsWritten) {
    // 60 million columns of one repeated value a row, 4000 rows: a file of
    // 52 KB whose working grid would take 960 GB.
    constexpr std::int64_t kColumns = 60'000'000, kRows = 4000;
    constexpr std::int64_t kNeeded = 512 + kColumns * kRows * 4;
    TempDir dir;
    struct statvfs fs {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &fs), 0);
    if (static_cast<unsigned __int128>(fs.f_bavail) * fs.f_frsize >= kNeeded)
        GTEST_SKIP() << "this file system could hold the working grid";
    std::string gxf = "#POINTS\n" + std::to_string(kColumns) + "\n#ROWS\n" + std::to_string(kRows) +
                      "\n#GTYPE\n4\n#GRID\n";
    const std::string row = "\"\"\"\"" + gxf_group(kColumns) + gxf_group(1000) + "\n";
    for (std::int64_t r = 0; r < kRows; ++r) gxf += row;
    write_file(dir.file("vast.gxf"), gxf);

    const RunResult r = run_rastrify(dir.path(), {"vast.gxf", "vast.bmp"});
    EXPECT_EQ(r.status, 1);
    const std::regex message(" The working grid file could not be written : the file system has room for [0-9]+ "
                             "bytes and it needs " + std::to_string(kNeeded) + " \\(status -5\\)\n");
    EXPECT_TRUE(std::regex_search(r.err, message)) << r.err;
    EXPECT_EQ(files_in(dir.path()), std::set<std::string>{"vast.gxf"});
}

// The run is held once the histogram has opened the working grid; its
// folder is renamed, then the run goes on (to fail: the image writer finds
// no working grid where it was) or is ended by SIGTERM. Either way the
// working grid goes, from the folder where it now is.
class RenamedFolder : public ::testing::TestWithParam<int> {};

TEST_P(RenamedFolder, KeepsNoWorkingGrid) {
    const int ending = GetParam();
    TempDir dir;
    write_file(dir.file("g.asc"), varied_grid(300, 200));
    const std::string before = dir.file("out"), after = dir.file("moved");
    ASSERT_TRUE(std::filesystem::create_directory(before));
    const pid_t pid = spawn_rastrify({dir.file("g.asc"), before + "/g.bmp"}, {"~rastrify.", 3, SIGSTOP});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    ASSERT_EQ(working_files(before).size(), 1u);
    ASSERT_EQ(std::rename(before.c_str(), after.c_str()), 0) << std::strerror(errno);
    if (ending != 0) ::kill(pid, ending);
    ::kill(pid, SIGCONT);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (ending != 0) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending);
    } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    }
    EXPECT_EQ(files_in(after), std::set<std::string>{}) << "a temporary file was left in the renamed folder";
}

INSTANTIATE_TEST_SUITE_P(GoingOnOrEnded, RenamedFolder, ::testing::Values(0, SIGTERM),
                         [](const auto& info) { return std::string(info.param == 0 ? "going_on" : "sigterm"); });

// SIGKILL gives no process a chance to clean up; the names say whose files
// are left, and a process id that no longer runs marks them as leftovers.
TEST(TemporaryFiles, ARunKilledOutrightLeavesFilesNamedByItsProcess) {
    TempDir dir;
    write_file(dir.file("g.asc"), varied_grid(300, 200));
    const pid_t pid = spawn_rastrify({dir.file("g.asc"), dir.file("g.bmp")}, {"~rastrify.", 2, SIGSTOP});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ::kill(pid, SIGKILL);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const auto left = working_files(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(std::regex_match(left[0], std::regex("~rastrify\\." + std::to_string(pid) + "-[0-9a-z]{8}\\.tmp")))
        << left[0];
}

}  // namespace
}  // namespace rastrify::testing
