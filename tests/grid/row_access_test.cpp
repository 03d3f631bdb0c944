// Single rows of working grids and cell files through a caller's descriptor:
// the offsets rows lie at, writes that land there, and every row that cannot
// be moved whole.
#include "grid/row_access.h"
#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace gridlib {
namespace {

using gridlib::testing::Descriptor;
using gridlib::testing::TempDir;
using gridlib::testing::numbered_bytes;

constexpr std::int32_t kColumns = 100;

class RowAccess : public ::testing::Test {
protected:
    RowAccess() { d.columns_read() = kColumns; }
    std::string make(std::size_t size) {
        content = numbered_bytes(size);
        gridlib::testing::write_file(path, content);
        return path;
    }
    std::string bytes_of(const void* p, std::size_t n) { return {static_cast<const char*>(p), n}; }

    TempDir dir;
    const std::string path = dir.file("grid");
    std::string content;
    GridDescriptor g;
    DescriptorView d = g.view();
};

TEST_F(RowAccess, WorkingGridRowsFollowTheHeaderAndMustBeWhole) {
    // Three rows and the start of a fourth.
    const Descriptor file(make(512 + 3 * kColumns * 4 + 10), O_RDONLY);
    const platform::BorrowedDescriptor fd(file.fd());
    std::array<float, kColumns> values{};
    ASSERT_EQ(read_working_grid_row(fd, d, 3, values.data()), GRIDLIB_OK);
    EXPECT_EQ(bytes_of(values.data(), 400), content.substr(1312, 400));
    EXPECT_EQ(::lseek(file.fd(), 0, SEEK_CUR), 0) << "the caller's file position stays";

    EXPECT_EQ(read_working_grid_row(fd, d, 4, values.data()), GRIDLIB_REFUSED) << "cut short, not stale values";
    EXPECT_EQ(read_working_grid_row(fd, d, 5, values.data()), GRIDLIB_REFUSED) << "beyond the end";
    EXPECT_EQ(read_working_grid_row(fd, d, 0, values.data()), GRIDLIB_REFUSED);
    d.columns_read() = -1;
    EXPECT_EQ(read_working_grid_row(fd, d, 1, values.data()), GRIDLIB_REFUSED);
}

TEST_F(RowAccess, WrittenRowsLandInPlaceAndFailuresAreReported) {
    std::array<float, kColumns> values;
    for (int i = 0; i < kColumns; ++i) values[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
    {
        const Descriptor file(make(512 + 4 * kColumns * 4), O_RDWR);
        ASSERT_EQ(write_working_grid_row(platform::BorrowedDescriptor(file.fd()), d, 2, values.data()), GRIDLIB_OK);
    }
    std::string expected = content;
    expected.replace(912, 400, bytes_of(values.data(), 400));
    EXPECT_EQ(gridlib::testing::read_text(path), expected);

    // A descriptor that cannot write, or only at the end of the file.
    for (int flags : {O_RDONLY, O_WRONLY | O_APPEND}) {
        const Descriptor file(path, flags);
        EXPECT_EQ(write_working_grid_row(platform::BorrowedDescriptor(file.fd()), d, 1, values.data()), GRIDLIB_REFUSED);
    }
    EXPECT_EQ(gridlib::testing::read_text(path), expected);
    EXPECT_EQ(write_working_grid_row(platform::BorrowedDescriptor(-1), d, 1, values.data()), GRIDLIB_REFUSED);
}

TEST_F(RowAccess, CellFileRowsAreReadInTwoHalves) {
    const Descriptor file(make(1200), O_RDONLY);
    const platform::BorrowedDescriptor fd(file.fd());
    std::array<char, 200> first{}, second{};
    ASSERT_EQ(read_cell_file_row(fd, d, 3, reinterpret_cast<std::byte*>(first.data()),
                                 reinterpret_cast<std::byte*>(second.data())),
              GRIDLIB_OK);
    EXPECT_EQ(std::string(first.data(), 200), content.substr(800, 200));
    EXPECT_EQ(std::string(second.data(), 200), content.substr(1000, 200));

    const Descriptor cut(make(1100), O_RDONLY);
    EXPECT_EQ(read_cell_file_row(platform::BorrowedDescriptor(cut.fd()), d, 3,
                                 reinterpret_cast<std::byte*>(first.data()), reinterpret_cast<std::byte*>(second.data())),
              GRIDLIB_REFUSED);
}

}  // namespace
}  // namespace gridlib
