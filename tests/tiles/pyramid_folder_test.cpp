// The pyramid's folder: which targets it may fill (what its mark file lists,
// or for an older mark the pyramid's layout), its placement on its own and
// in an output group, and that nothing of it is left when it is not placed.
#include "tiles/pyramid_folder.h"

#include "image/output_group.h"
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

// A pyramid's folder of 600 x 300 cells as it lists itself: 3 levels, the
// finest of 3 x 2 tiles.
void make_listed_pyramid(const std::string& folder) {
    std::filesystem::create_directories(folder + "/tiles/2/2");
    std::filesystem::create_directories(folder + "/values/2");
    write_file(folder + "/" + kMarkName, PyramidContents::of(PyramidPlan(600, 300)).mark_text());
    write_file(folder + "/tiles/2/2/1.png", "t");
    write_file(folder + "/values/2/1.f32", "v");
    write_file(folder + "/index.html", "i");
}

// A pyramid's folder as the version before the list marked it.
void make_older_pyramid(const std::string& folder) {
    std::filesystem::create_directories(folder + "/tiles/9/40");
    std::filesystem::create_directories(folder + "/values/3");
    write_file(folder + "/" + kMarkName,
               "A tile pyramid written by rastrify: its next run into this folder replaces it.\n");
    write_file(folder + "/tiles/9/40/7.png", "t");
    write_file(folder + "/values/3/3.f32", "v");
    write_file(folder + "/leaflet.js", "l");
}

TEST(PyramidFolder, TellsWhichTargetsItMayFill) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("empty"));
    std::filesystem::create_directory(dir.file("user"));
    write_file(dir.file("user/a.txt"), "a");
    std::filesystem::create_directory(dir.file("unreadable_mark"));
    write_file(dir.file("unreadable_mark/") + kMarkName, "x");
    write_file(dir.file("unreadable_mark/other"), "y");
    std::filesystem::create_directory(dir.file("marked_by_folder"));
    std::filesystem::create_directory(dir.file("marked_by_folder/") + kMarkName);
    write_file(dir.file("file"), "f");
    std::filesystem::create_directory_symlink(dir.file("empty"), dir.file("link"));
    make_listed_pyramid(dir.file("listed"));
    make_listed_pyramid(dir.file("listed_beyond"));
    write_file(dir.file("listed_beyond/tiles/2/2/2.png"), "beyond the finest level's 2 rows");
    make_listed_pyramid(dir.file("listed_folder"));
    std::filesystem::create_directories(dir.file("listed_folder/tiles/3"));
    make_listed_pyramid(dir.file("listed_link"));
    std::filesystem::create_symlink(dir.file("file"), dir.file("listed_link/viewer.js"));
    make_older_pyramid(dir.file("older"));
    make_older_pyramid(dir.file("older_notes"));
    write_file(dir.file("older_notes/tiles/notes.txt"), "n");
    make_older_pyramid(dir.file("older_zero"));
    write_file(dir.file("older_zero/values/3/03.f32"), "not a number the pyramid writes");
    struct Case {
        std::string name;
        TargetState want;
        std::string foreign;
    };
    for (const Case& c : std::vector<Case>{{"absent", TargetState::usable, ""},
                                           {"empty", TargetState::usable, ""},
                                           {"empty/", TargetState::usable, ""},
                                           {"listed", TargetState::usable, ""},
                                           {"listed_beyond", TargetState::not_ours, "tiles/2/2/2.png"},
                                           {"listed_folder", TargetState::not_ours, "tiles/3"},
                                           {"listed_link", TargetState::not_ours, "viewer.js"},
                                           {"older", TargetState::usable, ""},
                                           {"older_notes", TargetState::not_ours, "tiles/notes.txt"},
                                           {"older_zero", TargetState::not_ours, "values/3/03.f32"},
                                           {"unreadable_mark", TargetState::not_ours, "other"},
                                           {"user", TargetState::not_ours, "a.txt"},
                                           {"marked_by_folder", TargetState::not_ours, kMarkName},
                                           {"file", TargetState::not_a_folder, ""},
                                           {"link", TargetState::not_a_folder, ""},
                                           {"user/..", TargetState::bad_name, ""},
                                           {".", TargetState::bad_name, ""}}) {
        const TargetCheck check = check_target(c.name == "." ? "." : dir.file(c.name));
        EXPECT_EQ(check.state, c.want) << c.name;
        EXPECT_EQ(check.foreign, c.foreign) << c.name;
    }
    EXPECT_EQ(target_state(""), TargetState::bad_name);
}

// An earlier pyramid holding a folder whose files this process may not
// remove could not be replaced whole. Only the folders' modes keep a process
// out, and root passes them, so the check runs as nobody.
TEST(PyramidFolder, NamesAFolderItMayNotChange) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    make_listed_pyramid(dir.file("locked_tiles"));
    make_listed_pyramid(dir.file("locked_itself"));
    make_listed_pyramid(dir.file("open"));
    const auto readable_only = std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                               std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                               std::filesystem::perms::others_read | std::filesystem::perms::others_exec;
    std::filesystem::permissions(dir.file("locked_tiles/tiles/2"), readable_only);
    std::filesystem::permissions(dir.file("locked_itself"), readable_only);
    for (const std::string& folder : {dir.file("locked_tiles"), dir.file("locked_itself"), dir.file("open")})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_directory() && entry.path() != dir.file("locked_tiles/tiles/2"))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir.file("open"), std::filesystem::perms::all);
    const auto child = testing::run_in_child([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 9;
        const TargetCheck tiles = check_target(dir.file("locked_tiles")), itself = check_target(dir.file("locked_itself")),
                          open = check_target(dir.file("open"));
        if (tiles.state != TargetState::unchangeable || tiles.foreign != "tiles/2") return 1;
        if (itself.state != TargetState::unchangeable || itself.foreign != ".") return 2;
        return open.state == TargetState::usable ? 0 : 3;
    });
    EXPECT_TRUE(testing::exited_with(child, 0)) << (child ? WEXITSTATUS(*child) : -1);
}

// In an output group the pyramid is placed at the group's commit; when a
// later placement fails, the earlier pyramid is put back.
TEST(PyramidFolder, InAGroupItIsPlacedAtTheCommitOrNotAtAll) {
    TempDir dir;
    const auto pyramid = [&](const std::string& target, const std::string& text) {
        auto folder = PyramidFolder::create(dir.file(target));
        EXPECT_TRUE(folder && folder->write_text("index.html", text) &&
                    folder->mark(PyramidContents::of(PyramidPlan(1, 1))));
        return folder;
    };
    ASSERT_TRUE(pyramid("out", "first")->commit());
    ASSERT_TRUE(OutputGroup::open());
    OutputGroup::current()->add(pyramid("out", "second"));
    EXPECT_EQ(read_text(dir.file("out/index.html")), "first");
    EXPECT_TRUE(OutputGroup::commit());
    EXPECT_EQ(read_text(dir.file("out/index.html")), "second");
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"out"});

    ASSERT_TRUE(OutputGroup::open());
    OutputGroup::current()->add(pyramid("out", "third"));
    OutputGroup::current()->add(pyramid("other", "fourth"));
    std::filesystem::create_directory(dir.file("other"));
    write_file(dir.file("other/theirs"), "t");  // since it was checked
    EXPECT_FALSE(OutputGroup::commit());
    EXPECT_EQ(read_text(dir.file("out/index.html")), "second");
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"out", "other"}));
    EXPECT_EQ(names_in(dir.file("other")), std::set<std::string>{"theirs"});
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
    ASSERT_TRUE(folder && folder->mark(PyramidContents::of(PyramidPlan(1, 1))));
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
