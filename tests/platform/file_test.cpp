#include "platform/cleanup.h"
#include "platform/file.h"
#include "platform/text_units.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace gridlib::platform {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::read_text;
using gridlib::testing::write_file;

std::string read_string(File& f, std::size_t n) {
    std::string s(n, '\0');
    s.resize(f.read(std::as_writable_bytes(std::span<char>(s))));
    return s;
}

TEST(File, PositionsStayExactAcrossBytesReadsAndSeeks) {
    TempDir dir;
    const std::string path = dir.file("data");
    std::string content;
    for (int i = 0; i < 700000; ++i) content.push_back(static_cast<char>('a' + i % 26));
    write_file(path, content);

    auto f = File::open_read(path);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->read_byte(), 'a');
    EXPECT_EQ(f->peek_byte(), 'b');
    EXPECT_EQ(f->position(), 1u);
    EXPECT_EQ(read_string(*f, 3), "bcd");
    EXPECT_EQ(f->position(), 4u);
    ASSERT_TRUE(f->seek(2));  // back inside the buffer
    EXPECT_EQ(read_string(*f, 2), "cd");
    ASSERT_TRUE(f->seek(600001));  // far outside it
    EXPECT_EQ(f->read_byte(), content[600001]);
    ASSERT_TRUE(f->seek(10));
    const std::string big = read_string(*f, 650000);  // larger than the buffer
    EXPECT_EQ(big, content.substr(10, 650000));
    EXPECT_EQ(f->position(), 650010u);
    std::string at(5, '\0');  // positioned reads leave the position alone
    EXPECT_EQ(f->read_at(26, std::as_writable_bytes(std::span<char>(at))), 5u);
    EXPECT_EQ(at, "abcde");
    EXPECT_EQ(f->position(), 650010u);
    EXPECT_EQ(read_string(*f, 100000), content.substr(650010));  // short at the end
    EXPECT_EQ(f->read_byte(), -1);
    EXPECT_FALSE(f->error());
    EXPECT_EQ(f->size(), content.size());
}

TEST(File, WritesAtOffsetsAndReportsSize) {
    TempDir dir;
    const std::string path = dir.file("out");
    // An earlier file of that name is emptied, whatever it held.
    write_file(path, std::string(40, '#'));
    {
        auto f = File::create(path);
        ASSERT_TRUE(f);
        const std::string a = "0123456789";
        ASSERT_TRUE(f->write(std::as_bytes(std::span<const char>(a))));
        ASSERT_TRUE(f->seek(3));
        ASSERT_TRUE(f->write(std::as_bytes(std::span<const char>("xy", 2))));
        ASSERT_TRUE(f->seek(12));
        ASSERT_TRUE(f->write(std::as_bytes(std::span<const char>("z", 1))));
        EXPECT_EQ(f->size(), 13u);
        EXPECT_TRUE(f->close());
    }
    EXPECT_EQ(read_text(path), std::string("012xy56789\0\0z", 13));
}

TEST(File, RefusesDirectoriesMissingFilesDevicesAndSymlinkTargets) {
    TempDir dir;
    EXPECT_FALSE(File::open_read(dir.path()));
    // Neither may hang the reader: a FIFO would block the open, /dev/zero never ends.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(File::open_read(dir.file("fifo")));
    EXPECT_FALSE(File::open_read("/dev/zero"));
    EXPECT_FALSE(File::open_read(dir.file("missing")));
    EXPECT_FALSE(file_exists(dir.path()));
    EXPECT_FALSE(file_exists(dir.file("missing")));
    write_file(dir.file("target"), "keep");
    ASSERT_EQ(::symlink(dir.file("target").c_str(), dir.file("link").c_str()), 0);
    EXPECT_FALSE(File::create(dir.file("link")));
    EXPECT_EQ(read_text(dir.file("target")), "keep");
}

// Whatever a name holds that is not a regular file, creating a file there is
// refused at once: a FIFO without a reader would block the open forever, one
// with a reader would take the data, and a device is no file.
TEST(File, CreateRefusesAtOnceWhatIsNotARegularFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.file("read_fifo").c_str(), 0600), 0);
    const int reader = ::open(dir.file("read_fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const std::string& path : {dir.file("fifo"), dir.file("read_fifo"), std::string("/dev/null"), dir.path()}) {
        const auto status = gridlib::testing::run_in_child([&] { return File::create(path) ? 1 : 0; });
        EXPECT_TRUE(status) << path << ": the open blocked";
        EXPECT_TRUE(gridlib::testing::exited_with(status, 0)) << path << " was opened for writing";
    }
    ::close(reader);
    EXPECT_TRUE(File::create(dir.file("absent")));
}

// The process id in a temporary name tells whether its process still runs.
TEST(File, UniqueNamesHoldTheProcessId) {
    TempDir dir;
    const auto name = create_unique_file(dir.path() + "/", "~work.", ".tmp");
    ASSERT_TRUE(name);
    EXPECT_EQ(directory_of(*name), dir.path() + "/");
    const std::string own = name->substr(dir.path().size() + 1);
    EXPECT_TRUE(std::regex_match(own, std::regex("~work\\." + std::to_string(::getpid()) + "-[0-9a-z]{8}\\.tmp")))
        << own;
    EXPECT_EQ(own.size() - 10, unique_part_length());
}

TEST(File, UniqueFilesNeverCollideAndRenameReplaces) {
    TempDir dir;
    auto a = create_unique_file(dir.path() + "/", "~work.", ".tmp");
    auto b = create_unique_file(dir.path() + "/", "~work.", ".tmp");
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_TRUE(file_exists(*a));
    EXPECT_EQ(directory_of(*a), dir.path() + "/");
    EXPECT_EQ(directory_of("plain.bmp"), "");
    write_file(*a, "new");
    write_file(dir.file("old"), "old");
    EXPECT_TRUE(rename_file(*a, dir.file("old")));
    EXPECT_EQ(read_text(dir.file("old")), "new");
    EXPECT_TRUE(remove_file(*b));
    EXPECT_FALSE(file_exists(*b));
}

TEST(TextUnits, NumbersStartAt100AndAreReused) {
    TempDir dir;
    write_file(dir.file("t"), "x");
    auto first = TextUnit::open(dir.file("t"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->number(), 100);
    {
        auto second = TextUnit::open(dir.file("t"));
        ASSERT_TRUE(second);
        EXPECT_EQ(second->number(), 101);
        EXPECT_EQ(lowest_free_unit(), 102);
    }
    EXPECT_EQ(lowest_free_unit(), 101);
    EXPECT_FALSE(TextUnit::open(dir.file("missing")));
}

}  // namespace
}  // namespace gridlib::platform
