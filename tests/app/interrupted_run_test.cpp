// A run interrupted by a signal that ends it (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE) in any phase dies of that signal and leaves the directory as it
// found it. The signal is sent from inside the run,
// at a chosen open, by a preloaded library, so the point is exact.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <spawn.h>
#include <string>
#include <string_view>
#include <tuple>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::read_text;
using gridlib::testing::write_file;

// The library named by SIGNAL_AT_OPEN_LIBRARY, or else the one in the build
// tree beside these tests.
std::string signal_at_open_path() {
    if (const char* path = std::getenv("SIGNAL_AT_OPEN_LIBRARY"); path && *path) return path;
    std::error_code ec;
    const auto beside = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "signal_at_open.so";
    if (ec || !std::filesystem::exists(beside))
        ADD_FAILURE() << "SIGNAL_AT_OPEN_LIBRARY must name the built signal_at_open library";
    return beside.string();
}

struct Phase {
    const char* name;
    const char* path_text;  // part of the path whose open triggers the signal
    int count;              // which such open
};
// Test names and failure reports show the phase, not the struct's bytes.
void PrintTo(const Phase& phase, std::ostream* out) { *out << phase.name; }

// The wait status of the converter run on input to output, with the signal
// sent after the chosen open; nullopt when the run could not be started or awaited.
std::optional<int> interrupted_run(const std::string& input, const std::string& output, const Phase& phase,
                                   int signal) {
    std::vector<std::string> env;
    std::string preload = signal_at_open_path(), asan;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry = *e;
        const std::string_view value = entry.substr(entry.find('=') + 1);
        if (entry.starts_with("LD_PRELOAD=")) {
            preload.append(":").append(value);
        } else if (entry.starts_with("ASAN_OPTIONS=")) {
            asan.append(value).append(":");
        } else if (!entry.starts_with("SIGNAL_AT_OPEN")) {
            env.emplace_back(entry);
        }
    }
    env.push_back("LD_PRELOAD=" + preload);
    // A sanitized run refuses to start when its runtime is not the first
    // library loaded; the preloaded one is. Harmless in a plain build.
    env.push_back("ASAN_OPTIONS=" + asan + "verify_asan_link_order=0");
    env.push_back(std::string("SIGNAL_AT_OPEN=") + phase.path_text);
    env.push_back("SIGNAL_AT_OPEN_COUNT=" + std::to_string(phase.count));
    env.push_back("SIGNAL_AT_OPEN_SIGNAL=" + std::to_string(signal));
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::string exe = rastrify_path(), in = input, out = output;
    char* argv[] = {exe.data(), in.data(), out.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << exe << ": " << std::strerror(spawned);
        return std::nullopt;
    }
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

// The opens that mark each phase: the header reader's first open of the input;
// the working grid's exclusive creation by the converter, then its truncating
// open by the grid reader, then its open by the histogram; the temporary
// image's exclusive creation, then its open for writing.
INSTANTIATE_TEST_SUITE_P(
    EachPhaseAndSignal, InterruptedRun,
    ::testing::Combine(::testing::Values(Phase{"header", "heights.asc", 1}, Phase{"grid_read", "~rastrify.", 2},
                                         Phase{"histogram", "~rastrify.", 3}, Phase{"image_write", "~gridlib-", 2}),
                       ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE)),
    [](const ::testing::TestParamInfo<std::tuple<Phase, int>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + sigabbrev_np(std::get<1>(info.param));
    });

}  // namespace
}  // namespace rastrify::testing
