// The table of files to remove on an ending signal: each process removes
// only its own, and finds them through their folder wherever it has moved.
#include "platform/cleanup.h"
#include "platform/file.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace gridlib::platform {
namespace {

using gridlib::testing::exited_with;
using gridlib::testing::run_in_child;
using gridlib::testing::TempDir;

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool is_empty(const std::string& folder) { return std::filesystem::is_empty(folder); }

// What a process that forked ends with: 0 when its own file outlived the
// child's death by `signo` and the child's file did not.
int fork_and_end_child_by(int signo, const std::string& dir) {
    remove_registered_files_on_signals();
    const auto parents = create_registered_unique_file(dir, "~parent.", ".tmp");
    if (!parents) return 10;
    const pid_t child = ::fork();
    if (child == 0) {
        const auto own = create_registered_unique_file(dir, "~child.", ".tmp");
        ::kill(::getpid(), signo);
        ::_exit(own ? 11 : 12);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return 13;
    if (!WIFSIGNALED(status) || WTERMSIG(status) != signo) return 14;
    if (!exists(*parents)) return 15;  // the parent's file was taken
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.path().filename().string().starts_with("~child.")) return 16;  // the child's was left
    return remove_registered_file(*parents) ? 0 : 17;
}

class ForkedChild : public ::testing::TestWithParam<int> {};

TEST_P(ForkedChild, EndedBySignalRemovesOnlyItsOwnFiles) {
    TempDir dir;
    const int signo = GetParam();
    const auto status = run_in_child([&] { return fork_and_end_child_by(signo, dir.path() + "/"); });
    EXPECT_TRUE(exited_with(status, 0)) << (status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1);
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, ForkedChild, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// A registered file, its folder renamed, then removed one way or another.
enum class Removal { by_name, by_guard, by_signal_named, by_signal_guarded };

struct RenamedCase {
    const char* name;
    Removal removal;
};

void PrintTo(const RenamedCase& c, std::ostream* out) { *out << c.name; }

class RenamedFolder : public ::testing::TestWithParam<RenamedCase> {};

TEST_P(RenamedFolder, KeepsNoRegisteredFile) {
    TempDir dir;
    const std::string before = dir.file("out"), after = dir.file("moved");
    ASSERT_TRUE(std::filesystem::create_directory(before));
    const Removal removal = GetParam().removal;
    // Each way runs in a child: handlers and the signal stay out of this process.
    const auto status = run_in_child([&] {
        remove_registered_files_on_signals();
        std::optional<CleanupGuard> guard;
        std::optional<std::string> named;
        const bool guarded = removal == Removal::by_guard || removal == Removal::by_signal_guarded;
        if (guarded) {
            if (!create_registered_unique_open_file(before + "/", "~run.", ".tmp", guard)) return 10;
        } else {
            named = create_registered_unique_file(before + "/", "~run.", ".tmp");
            if (!named) return 11;
        }
        if (std::rename(before.c_str(), after.c_str()) != 0) return 12;
        if (removal == Removal::by_name) return remove_registered_file(*named) ? 0 : 13;
        if (removal == Removal::by_guard) return guard->remove_file() ? 0 : 14;
        ::kill(::getpid(), SIGTERM);
        return 15;
    });
    ASSERT_TRUE(status);
    const bool by_signal = GetParam().removal == Removal::by_signal_named ||
                           GetParam().removal == Removal::by_signal_guarded;
    if (by_signal) {
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM);
    } else {
        EXPECT_TRUE(exited_with(status, 0));
    }
    EXPECT_TRUE(is_empty(after)) << "a temporary file was left in the renamed folder";
}

INSTANTIATE_TEST_SUITE_P(EachRemoval, RenamedFolder,
                         ::testing::Values(RenamedCase{"by_name", Removal::by_name},
                                           RenamedCase{"by_guard", Removal::by_guard},
                                           RenamedCase{"by_signal_named", Removal::by_signal_named},
                                           RenamedCase{"by_signal_guarded", Removal::by_signal_guarded}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gridlib::platform
