// Room for a file of known size: the free space, and the space an existing
// file gives back when it is rewritten in place.
#include "platform/file_system_room.h"
#include "support/available_bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/stat.h>

namespace gridlib::platform {
namespace {

using gridlib::testing::ScopedAvailableBytes;
using gridlib::testing::TempDir;

std::uint64_t allocated(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_blocks) * 512u : 0;
}

TEST(FileSystemRoom, RefusesOnlyWhatDoesNotFit) {
    TempDir dir;
    const std::string existing = dir.file("existing");
    gridlib::testing::write_file(existing, std::string(100000, 'x'));
    const std::uint64_t held = allocated(existing);
    ASSERT_GT(held, 0u);
    struct Case {
        const char* what;
        std::optional<std::uint64_t> available;
        std::string path;
        std::uint64_t needed;
        Writing writing;
        std::optional<std::uint64_t> shortage_available;  // nullopt: room enough
    };
    const Case cases[] = {
        {"fits exactly", 5000, dir.file("new"), 5000, Writing::in_place, std::nullopt},
        {"one byte over", 5000, dir.file("new"), 5001, Writing::in_place, 5000},
        {"nothing needed", 0, dir.file("new"), 0, Writing::beside, std::nullopt},
        {"rewritten in place gives its blocks back", 5000, existing, 5000 + held, Writing::in_place, std::nullopt},
        {"written beside keeps them", 5000, existing, 5000 + held, Writing::beside, 5000},
        {"in place, but still short", 5000, existing, 5001 + held, Writing::in_place, 5000 + held},
        {"a file system that cannot tell", std::nullopt, dir.file("new"), UINT64_MAX, Writing::beside, std::nullopt},
        {"no room beyond any counting", UINT64_MAX - 1, dir.file("new"), UINT64_MAX, Writing::beside, UINT64_MAX - 1},
        // Nothing is written where no regular file can be: its writer refuses it.
        {"a folder's name", 0, dir.path(), 1, Writing::in_place, std::nullopt},
        {"a device", 0, "/dev/null", 1, Writing::in_place, std::nullopt},
    };
    for (const Case& c : cases) {
        const ScopedAvailableBytes room(c.available);
        const auto shortage = room_shortage(c.path, c.needed, c.writing);
        ASSERT_EQ(shortage.has_value(), c.shortage_available.has_value()) << c.what;
        if (!shortage) continue;
        EXPECT_EQ(shortage->needed, c.needed) << c.what;
        EXPECT_EQ(shortage->available, *c.shortage_available) << c.what;
        EXPECT_EQ(last_room_shortage().needed, c.needed) << c.what;
    }
}

TEST(FileSystemRoom, TheRealQueryAnswersForAFolderAndNotForAMissingOne) {
    TempDir dir;
    EXPECT_TRUE(available_bytes(dir.path() + "/"));
    EXPECT_TRUE(available_bytes(""));
    EXPECT_FALSE(available_bytes(dir.file("missing/")));
}

}  // namespace
}  // namespace gridlib::platform
