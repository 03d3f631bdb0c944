// Outputs renamed into place together: when one rename fails, every target is
// again what it was, and nothing of the group is left.
#include "image/output_group.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace gridlib {
namespace {

using testing::read_text;
using testing::TempDir;
using testing::write_file;

// Hands a file of dir to the open group, as a writer does when it is complete.
void add(const TempDir& dir, const std::string& temporary, const std::string& target) {
    OutputGroup::current()->add(dir.file(temporary), dir.file(target),
                                platform::CleanupGuard(*platform::Folder::open(dir.path()), temporary));
}

std::set<std::string> names_in(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

// The target whose rename fails exists: its second name, a hard link made
// to restore it, goes too (renaming one link onto the other does nothing).
TEST(OutputGroup, AFailedRenameOntoAnExistingTargetLeavesNoSecondName) {
    TempDir dir;
    write_file(dir.file("image.png"), "earlier image");
    write_file(dir.file("image.pgw"), "earlier world file");
    write_file(dir.file("new-image"), "new image");
    ASSERT_TRUE(OutputGroup::open());
    add(dir, "new-image", "image.png");
    add(dir, "gone", "image.pgw");
    EXPECT_FALSE(OutputGroup::commit());
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"image.png", "image.pgw"}));
    EXPECT_EQ(read_text(dir.file("image.png")), "earlier image");
    EXPECT_EQ(read_text(dir.file("image.pgw")), "earlier world file");
}

TEST(OutputGroup, CommitsAllOrRestoresEveryTarget) {
    TempDir dir;
    write_file(dir.file("image.png"), "earlier image");
    write_file(dir.file("new-image"), "new image");
    write_file(dir.file("new-extra"), "new extra file");
    // The second output's temporary file has gone: its rename fails after
    // the image and the extra file (which did not exist before) took their places.
    ASSERT_TRUE(OutputGroup::open());
    EXPECT_FALSE(OutputGroup::open());
    add(dir, "new-image", "image.png");
    add(dir, "new-extra", "extra.txt");
    add(dir, "gone", "image.pgw");
    EXPECT_FALSE(OutputGroup::commit());
    EXPECT_EQ(OutputGroup::current(), nullptr);
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"image.png"}));
    EXPECT_EQ(read_text(dir.file("image.png")), "earlier image");

    write_file(dir.file("new-image"), "new image");
    write_file(dir.file("new-world"), "new world file");
    ASSERT_TRUE(OutputGroup::open());
    add(dir, "new-image", "image.png");
    add(dir, "new-world", "image.pgw");
    EXPECT_TRUE(OutputGroup::commit());
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"image.png", "image.pgw"}));
    EXPECT_EQ(read_text(dir.file("image.png")), "new image");

    write_file(dir.file("new-image"), "discarded");
    ASSERT_TRUE(OutputGroup::open());
    add(dir, "new-image", "image.png");
    OutputGroup::discard();
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"image.png", "image.pgw"}));
    EXPECT_EQ(read_text(dir.file("image.png")), "new image");
}

}  // namespace
}  // namespace gridlib
