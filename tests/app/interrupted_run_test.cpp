// A run interrupted by a signal that ends it (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE) in any phase dies of that signal and leaves the directory as it
// found it. The signal is sent from inside the run,
// at a chosen open, by a preloaded library, so the point is exact.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::read_text;
using gridlib::testing::write_file;

struct Phase {
    const char* name;
    const char* path_text;  // part of the path whose open triggers the signal
    int count;              // which such open
    bool shaded = false;    // a shaded relief (-S)
};
// Test names and failure reports show the phase, not the struct's bytes.
void PrintTo(const Phase& phase, std::ostream* out) { *out << phase.name; }

// The wait status of the converter run on input to output, with the signal
// sent after the chosen open; nullopt when the run could not be started or awaited.
std::optional<int> interrupted_run(const std::string& input, const std::string& output, const Phase& phase,
                                   int signal) {
    std::vector<std::string> arguments = {input, output};
    if (phase.shaded) arguments.push_back("-S");
    const pid_t pid = spawn_rastrify(arguments, {phase.path_text, phase.count, signal});
    if (pid < 0) return std::nullopt;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        ADD_FAILURE() << "waitpid: " << std::strerror(errno);
        return std::nullopt;
    }
    return status;
}

class InterruptedRun : public ::testing::TestWithParam<std::tuple<Phase, int>> {
protected:
    // SIGQUIT would leave a core dump in the run's folder.
    static void SetUpTestSuite() {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
    }
};

TEST_P(InterruptedRun, DiesOfTheSignalAndLeavesOnlyTheInputAndTheEarlierImage) {
    const auto& [phase, signal] = GetParam();
    TempDir dir;
    write_file(dir.file("heights.asc"), varied_grid(300, 200));
    // An image from an earlier run: an interrupted run must not replace or damage it.
    const std::string earlier = "BM an image from an earlier run";
    write_file(dir.file("heights.bmp"), earlier);

    const auto waited = interrupted_run(dir.file("heights.asc"), dir.file("heights.bmp"), phase, signal);
    ASSERT_TRUE(waited) << phase.name;
    const int status = *waited;

    ASSERT_TRUE(WIFSIGNALED(status)) << phase.name << ": the run was not killed by a signal (exit status "
                                     << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                                     << "); did the phase's open happen?";
    EXPECT_EQ(WTERMSIG(status), signal) << phase.name << ": died of " << strsignal(WTERMSIG(status));
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"heights.asc", "heights.bmp"}))
        << phase.name << ": files left behind";
    EXPECT_EQ(read_text(dir.file("heights.bmp")), earlier) << phase.name << ": the earlier image changed";
}

// A reader of standard output that has gone away (`rastrify a.asc a.bmp |
// true`) ends the run before its image replaces anything, not after.
TEST(ClosedOutput, EndsTheRunBeforeItsImageReplacesTheEarlierOne) {
    TempDir dir;
    write_file(dir.file("heights.asc"), varied_grid(30, 20));
    const std::string earlier = "BM an image from an earlier run";
    write_file(dir.file("heights.bmp"), earlier);
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    ::close(pipe_ends[0]);  // no reader, ever
    const pid_t pid =
        spawn_rastrify({dir.file("heights.asc"), dir.file("heights.bmp")}, {}, {.output_descriptor = pipe_ends[1]});
    ::close(pipe_ends[1]);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGPIPE);
    EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"heights.asc", "heights.bmp"}));
    EXPECT_TRUE(read_text(dir.file("heights.bmp")) == earlier) << "the earlier image changed";
}

// The opens that mark each phase: the header reader's first open of the input;
// the working grid's exclusive creation by the converter, then its open for
// writing by the grid reader, then its open by the histogram; the temporary
// image's exclusive creation, which it is written through. A shaded relief
// also has its gradient file: the open for writing by the gradient writer,
// and the shaded image's creation.
INSTANTIATE_TEST_SUITE_P(
    EachPhaseAndSignal, InterruptedRun,
    ::testing::Combine(::testing::Values(Phase{"header", "heights.asc", 1}, Phase{"grid_read", "~rastrify.", 2},
                                         Phase{"histogram", "~rastrify.", 3}, Phase{"image_write", "~gridlib-", 1},
                                         Phase{"slopes", ".slopes", 2, true},
                                         Phase{"shaded_image", "~gridlib-", 1, true}),
                       ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE)),
    [](const ::testing::TestParamInfo<std::tuple<Phase, int>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + sigabbrev_np(std::get<1>(info.param));
    });

}  // namespace
}  // namespace rastrify::testing
