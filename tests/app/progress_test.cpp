// On a terminal a long run shows its progress in one line that it clears at
// the end; the run is held for a while at the start of the grid read, so
// that it is long by the clock whatever the machine's speed.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

// Everything the run writes to the terminal, until it has ended.
std::string drain(int terminal) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) return text;  // EIO once no process has the terminal open
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

TEST(Progress, ALongRunOnATerminalShowsAndClearsItsProgressLine) {
    TempDir dir;
    write_file(dir.file("g.asc"), varied_grid(300, 200));
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string standard_error = ::ptsname(terminal);

    // Stopped when the grid reader opens the working grid, then held.
    const int pid = spawn_rastrify({dir.file("g.asc"), dir.file("g.bmp")}, {"~rastrify.", 2, SIGSTOP},
                                   {.error = standard_error});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ::kill(pid, SIGCONT);
    const std::string shown = drain(terminal);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;

    EXPECT_NE(shown.find("\r reading the grid   0 %  "), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r reading the grid 100 %"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r drawing 100 %"), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with("\r\x1b[K")) << "the line is cleared at the end";
}

}  // namespace
}  // namespace rastrify::testing
