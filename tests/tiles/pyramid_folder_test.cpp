// The pyramid's folder: which targets it may fill, its rename into place,
// and that nothing of it is left when it is not committed.
#include "tiles/pyramid_folder.h"

#include "platform/cleanup.h"
#include "platform/folder_tree.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <fcntl.h>
#include <unistd.h>

namespace gridlib::tiles {
namespace {

using testing::read_text;
using testing::TempDir;
using testing::write_file;

std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

TEST(PyramidFolder, TellsWhichTargetsItMayFill) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("empty"));
    std::filesystem::create_directory(dir.file("user"));
    write_file(dir.file("user/a.txt"), "a");
    std::filesystem::create_directory(dir.file("ours"));
    write_file(dir.file("ours/") + kMarkName, "x");
    write_file(dir.file("ours/other"), "y");
    std::filesystem::create_directory(dir.file("marked_by_folder"));
    std::filesystem::create_directory(dir.file("marked_by_folder/") + kMarkName);
    write_file(dir.file("file"), "f");
    std::filesystem::create_directory_symlink(dir.file("empty"), dir.file("link"));
    struct Case {
        std::string name;
        TargetState want;
    };
    for (const Case& c : std::vector<Case>{{"absent", TargetState::usable},
                                           {"empty", TargetState::usable},
                                           {"empty/", TargetState::usable},
                                           {"ours", TargetState::usable},
                                           {"user", TargetState::not_ours},
                                           {"marked_by_folder", TargetState::not_ours},
                                           {"file", TargetState::not_a_folder},
                                           {"link", TargetState::not_a_folder},
                                           {"user/..", TargetState::bad_name},
                                           {".", TargetState::bad_name}}) {
        EXPECT_EQ(target_state(c.name == "." ? "." : dir.file(c.name)), c.want) << c.name;
    }
    EXPECT_EQ(target_state(""), TargetState::bad_name);
}

TEST(PyramidFolder, ANewFolderNotCommittedIsRemovedAndATargetThatChangedIsKept) {
    TempDir dir;
    {
        auto folder = PyramidFolder::create(dir.file("out"));
        ASSERT_TRUE(folder);
        ASSERT_TRUE(folder->make_folder("a"));
        ASSERT_TRUE(folder->make_folder("a/b"));
        ASSERT_TRUE(folder->write_text("a/b/c", "c"));
    }
    EXPECT_TRUE(names_in(dir.path()).empty());
    // The user filled the target meanwhile: refused at the commit, theirs kept.
    auto folder = PyramidFolder::create(dir.file("out"));
    ASSERT_TRUE(folder);
    std::filesystem::create_directory(dir.file("out"));
    write_file(dir.file("out/theirs"), "t");
    EXPECT_FALSE(folder->commit());
    folder.reset();
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"out"});
    EXPECT_EQ(names_in(dir.file("out")), std::set<std::string>{"theirs"});
}

TEST(PyramidFolder, AnEndingSignalRemovesTheUnfinishedTree) {
    TempDir dir;
    const auto status = testing::run_in_child([&] {
        platform::remove_registered_files_on_signals();
        auto folder = PyramidFolder::create(dir.file("out"));
        if (!folder || !folder->make_folder("t") || !folder->make_folder("t/1")) return 3;
        for (int i = 0; i < 50; ++i)
            if (!folder->write_text("t/1/" + std::to_string(i), "x")) return 4;
        std::raise(SIGTERM);
        return 5;
    });
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM);
    EXPECT_TRUE(names_in(dir.path()).empty());
}

TEST(FolderTree, SignalSafeRemovalTakesEveryLevelAndNoLinkedFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("keep/inner"));
    write_file(dir.file("keep/inner/kept"), "k");
    std::filesystem::path deep = dir.file("tree");
    for (int level = 0; level < 5; ++level) {
        deep /= std::to_string(level);
        std::filesystem::create_directories(deep);
        for (int i = 0; i < 40; ++i) write_file((deep / std::to_string(i)).string() + ".f", "x");
    }
    std::filesystem::create_directory_symlink(dir.file("keep"), dir.file("tree/0/link"));
    const int parent = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(parent, 0);
    EXPECT_TRUE(platform::remove_tree_at(parent, "tree"));
    EXPECT_TRUE(platform::remove_tree_at(parent, "tree"));  // absent: nothing left to do
    ::close(parent);
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"keep"});
    EXPECT_EQ(read_text(dir.file("keep/inner/kept")), "k");
}

}  // namespace
}  // namespace gridlib::tiles
