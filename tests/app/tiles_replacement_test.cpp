// An earlier pyramid replaced through the real executable (-T): a run that
// fails after its tiles leaves the earlier pyramid whole, a run killed at
// the swap leaves a whole pyramid under the folder's name (or, where the
// file system cannot exchange names, one the next run puts back), runs into
// one folder at once take turns, and a file of the user's inside an
// earlier pyramid stops its replacement.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

// Every file below a folder by its path within it, with its bytes.
std::map<std::string, std::string> tree_of(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] = read_text(entry.path().string());
    return files;
}

// The wait status of a spawned run once it has ended.
int ended(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid ? status : -1;
}

bool exited_zero(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// True when the process waits for a flock held by another (/proc/locks
// lists a waiter with "->" before its lock).
bool waits_for_a_lock(pid_t pid) {
    std::ifstream locks("/proc/locks");
    std::string id = std::to_string(pid);  // between blanks, added apart (GCC 12 warns of "" + a temporary)
    id = ' ' + id + ' ';
    for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find(id) != std::string::npos) return true;
    return false;
}

class TilesReplacement : public ::testing::Test {
protected:
    void SetUp() override {
        // Two grids of other sizes and values, and the pyramid each makes,
        // to tell which one a folder holds.
        write_file(dir.file("g.asc"), varied_grid(600, 300));
        write_file(dir.file("h.asc"), varied_grid(300, 20));
        ASSERT_EQ(run({"g.asc", "g_ref", "-T"}).status, 0);
        ASSERT_EQ(run({"h.asc", "h_ref", "-T"}).status, 0);
        g_tree = tree_of(dir.file("g_ref"));
        h_tree = tree_of(dir.file("h_ref"));
        ASSERT_NE(g_tree, h_tree);
    }
    RunResult run(std::vector<std::string> arguments) { return run_rastrify(dir.path(), arguments); }
    // A fresh pyramid of g in out.
    void make_out() {
        std::filesystem::remove_all(dir.file("out"));
        ASSERT_EQ(run({"g.asc", "out", "-T"}).status, 0);
    }
    // Which pyramid a folder holds, whole: "g", "h", "none" when it is
    // absent, "other" when it is neither.
    std::string holds(const std::string& name) {
        if (!std::filesystem::exists(dir.file(name))) return "none";
        const auto tree = tree_of(dir.file(name));
        return tree == g_tree ? "g" : tree == h_tree ? "h" : "other";
    }
    // The names a killed run left beside out.
    std::set<std::string> leftovers() {
        std::set<std::string> names = files_in(dir.path());
        for (const char* ours : {"g.asc", "h.asc", "g_ref", "h_ref", "out"}) names.erase(ours);
        return names;
    }
    void remove_leftovers() {
        for (const std::string& name : leftovers()) std::filesystem::remove_all(dir.file(name));
    }

    TempDir dir;
    std::map<std::string, std::string> g_tree, h_tree;
};

TEST_F(TilesReplacement, ARunThatFailsAfterItsTilesLeavesTheEarlierPyramid) {
    ASSERT_EQ(run({"g.asc", "out", "-T", "-Hlin"}).status, 0);
    const auto before = tree_of(dir.file("out"));
    // The colour bar comes after the tiles, and its folder does not exist.
    const RunResult r = run({"g.asc", "out", "-T", "-Lmissing/bar.svg"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The colour bar missing/bar.svg could not be written"), std::string::npos) << r.err;
    EXPECT_TRUE(tree_of(dir.file("out")) == before);
    EXPECT_TRUE(leftovers().empty());
}

// SIGKILL, which no handler sees, right after the exchange of the two
// folders; where the file system cannot exchange, right after each of the
// two renames. The next run, which here fails late, first puts the earlier
// pyramid back under the name or removes what is left of it.
TEST_F(TilesReplacement, AKillAtTheSwapLeavesAWholePyramidOrOneTheNextRunPutsBack) {
    struct Case {
        const char* what;
        bool exchange;
        int renames;  // the kill follows this many
        const char* after_kill;  // what out holds (see holds)
        const char* after_next_run;
    };
    for (const Case& c : {Case{"exchanged", true, 1, "h", "h"}, Case{"old aside", false, 1, "none", "g"},
                          Case{"new in place", false, 2, "h", "h"}}) {
        SCOPED_TRACE(c.what);
        make_out();
        std::vector<std::string> environment = {"SIGNAL_AT_RENAME=~rastrify-pyramid",
                                                "SIGNAL_AT_RENAME_COUNT=" + std::to_string(c.renames),
                                                "SIGNAL_AT_RENAME_SIGNAL=9"};
        if (!c.exchange) environment.push_back("RENAME_EXCHANGE_UNSUPPORTED=1");
        const pid_t pid = spawn_rastrify({dir.file("h.asc"), dir.file("out"), "-T"}, {}, {}, environment);
        ASSERT_GT(pid, 0);
        const int status = ended(pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        EXPECT_EQ(holds("out"), c.after_kill);
        EXPECT_EQ(run({"g.asc", "out", "-T", "-Lmissing/bar.svg"}).status, 1);
        EXPECT_EQ(holds("out"), c.after_next_run);
        for (const std::string& name : leftovers())
            EXPECT_FALSE(name.starts_with("~rastrify-pyramid-old-")) << name;
        remove_leftovers();  // the new pyramid's folder, or the old one it was exchanged with
    }
}

// One run stopped in the middle of its swap, another into the same folder
// meanwhile: the second waits for the first, then replaces its pyramid.
TEST_F(TilesReplacement, RunsIntoOneFolderTakeTurns) {
    make_out();
    TempDir logs;
    const pid_t first = spawn_rastrify({dir.file("h.asc"), dir.file("out"), "-T"}, {}, {.error = logs.file("first")},
                                       {"SIGNAL_AT_RENAME=~rastrify-pyramid", "SIGNAL_AT_RENAME_SIGNAL=19"});
    ASSERT_GT(first, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, WUNTRACED), first);
    ASSERT_TRUE(WIFSTOPPED(status));
    const pid_t second = spawn_rastrify({dir.file("g.asc"), dir.file("out"), "-T"}, {}, {.error = logs.file("second")});
    ASSERT_GT(second, 0);
    // Until the second has ended or waits for the first's lock.
    bool second_ended = false;
    for (int wait = 0; wait < 600 && !second_ended && !waits_for_a_lock(second); ++wait) {
        second_ended = ::waitpid(second, &status, WNOHANG) == second;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(first, SIGCONT);
    EXPECT_TRUE(exited_zero(ended(first))) << read_text(logs.file("first"));
    if (!second_ended) status = ended(second);
    EXPECT_TRUE(exited_zero(status)) << read_text(logs.file("second"));
    EXPECT_EQ(holds("out"), "g");
    EXPECT_TRUE(leftovers().empty());

    // Pairs started together, a bounded number of times: each run finishes
    // and the folder holds one of the two pyramids whole.
    for (int round = 0; round < 6; ++round) {
        const pid_t a = spawn_rastrify({dir.file("g.asc"), dir.file("out"), "-T"}, {});
        const pid_t b = spawn_rastrify({dir.file("h.asc"), dir.file("out"), "-T"}, {});
        ASSERT_TRUE(a > 0 && b > 0);
        EXPECT_TRUE(exited_zero(ended(a))) << round;
        EXPECT_TRUE(exited_zero(ended(b))) << round;
        const std::string held = holds("out");
        EXPECT_TRUE(held == "g" || held == "h") << round << " " << held;
        EXPECT_TRUE(leftovers().empty()) << round;
    }
}

// No lock keeps a user out of the earlier pyramid: a file put there while
// the run stands stopped right before the swap must not be swapped away.
TEST_F(TilesReplacement, AFileAddedJustBeforeTheSwapStaysAndUndoesIt) {
    make_out();
    const pid_t pid = spawn_rastrify({dir.file("h.asc"), dir.file("out"), "-T"}, {}, {},
                                     {"SIGNAL_AT_RENAME=~rastrify-pyramid", "SIGNAL_AT_RENAME_SIGNAL=19",
                                      "SIGNAL_BEFORE_RENAME=1"});
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    write_file(dir.file("out/notes.txt"), "the user's");
    ::kill(pid, SIGCONT);
    status = ended(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(read_text(dir.file("out/notes.txt")), "the user's");
    std::filesystem::remove(dir.file("out/notes.txt"));
    EXPECT_EQ(holds("out"), "g");
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(TilesReplacement, AFileOfTheUsersInsideAnEarlierPyramidStopsItsReplacement) {
    // The finest level (z 2) has 3 x 2 tiles.
    for (const char* added : {"notes.txt", "tiles/2/0/0 copy.png", "tiles/2/0/2.png", "values/3", "tiles/0/0/00.png"}) {
        SCOPED_TRACE(added);
        make_out();
        const std::string path = dir.file("out/") + added;
        if (std::string(added).find('.') == std::string::npos) {
            std::filesystem::create_directory(path);
        } else {
            write_file(path, "the user's");
        }
        const RunResult r = run({"h.asc", "out", "-T"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("  The tile folder holds a file that rastrify did not write : out/") + added + "\n");
        EXPECT_TRUE(std::filesystem::exists(path));
        std::filesystem::remove(path);
        EXPECT_EQ(holds("out"), "g");
    }
}

}  // namespace
}  // namespace rastrify::testing
