// The working grid file: private to its run, and gone after every ending.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

TEST(WorkingGrid, RemovedWhenTheRunIsTerminated) {
    TempDir dir;
    write_file(dir.file("big.asc"), varied_grid(2500, 2500));
    const std::string exe = rastrify_path();
    const std::string input = dir.file("big.asc"), output = dir.file("big.bmp");
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(input.c_str()),
                    const_cast<char*>(output.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Terminate as soon as the working grid exists, while the grid is being read.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (working_files(dir.path()).empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_FALSE(working_files(dir.path()).empty()) << "the run never created its working grid";
    // The file appears an instant before it is registered for removal; give
    // the run that instant. Reading the grid takes far longer.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the signal arrived; make the grid larger";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(files_in(dir.path()), std::set<std::string>{"big.asc"});
    EXPECT_FALSE(std::filesystem::exists(output));
}

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
