// The working grid is made only where it fits, and only as a regular file:
// a grid whose cells would fill the disk is refused before anything is
// written, and a working name that is a FIFO or a device is refused at once.
#include "formats/grid_header.h"
#include "grid_test_support.h"
#include "support/available_bytes.h"
#include "support/child_process.h"

#include "gridlib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace gridlib::testing {
namespace {

std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// A 4 x 3 ESRI grid, and the same cells in a GXF grid stored by columns,
// which goes through a scratch file of 48 bytes before its working grid.
constexpr std::uint64_t kWorkingBytes = 512 + 4 * 3 * 4;
const char* const kEsri = "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3 4\n5 6 7 8\n9 10 11 12\n";
const char* const kColumns = "#POINTS\n3\n#ROWS\n4\n#SENSE\n-1\n#GRID\n1 5 9\n2 6 10\n3 7 11\n4 8 12\n";
// Rows promised and missing: the read is bound to fail, and writes only the header.
const char* const kShort = "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3 4\n";

TEST(WorkingGridRoom, IsCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        const char* grid;
        const char* name;
        std::uint64_t available;
        std::int32_t status;
        std::uint64_t shortage_needed;  // 0: no shortage
    };
    const Case cases[] = {
        {"rows, room enough", kEsri, "g.asc", kWorkingBytes, GRIDLIB_OK, 0},
        {"rows, a byte short", kEsri, "g.asc", kWorkingBytes - 1, GRIDLIB_NO_ROOM, kWorkingBytes},
        {"columns, room enough", kColumns, "g.gxf", kWorkingBytes, GRIDLIB_OK, 0},
        {"columns, no room for the scratch file", kColumns, "g.gxf", 47, GRIDLIB_NO_ROOM, 48},
        {"columns, no room for the working grid", kColumns, "g.gxf", 100, GRIDLIB_NO_ROOM, kWorkingBytes},
        {"a grid bound to fail needs only the header", kShort, "g.asc", 512, GRIDLIB_ROW_FAILED - 2, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string input = dir.file(c.name), working = dir.file("work.tmp");
        write_file(input, c.grid);
        GridDescriptor g;
        ASSERT_EQ(read_grid_header(input, g.view()), 0) << c.what;
        const ScopedAvailableBytes room(c.available);
        EXPECT_EQ(read_into_working_grid(input, working, g.view(), whole(g.view())), c.status) << c.what;
        if (c.shortage_needed == 0) continue;
        EXPECT_EQ(names_in(dir.path()), std::set<std::string>{c.name}) << c.what << ": a file was written";
        EXPECT_EQ(platform::last_room_shortage().needed, c.shortage_needed) << c.what;
        EXPECT_EQ(platform::last_room_shortage().available, c.available) << c.what;
    }
}

// A FIFO blocked the open for writing until a reader came; a device took the
// grid. Both are refused at once as a working grid that cannot be written.
TEST(WorkingGridRoom, AWorkingNameThatIsNoRegularFileIsRefusedAtOnce) {
    TempDir dir;
    const std::string input = dir.file("g.asc");
    write_file(input, kEsri);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const std::string& working : {dir.file("fifo"), std::string("/dev/null")}) {
        const auto status = run_in_child([&] {
            GridDescriptor g;
            if (read_grid_header(input, g.view()) != 0) return 100;
            return -read_into_working_grid(input, working, g.view(), whole(g.view()));
        });
        EXPECT_TRUE(status) << working << ": the read blocked";
        EXPECT_TRUE(exited_with(status, -GRIDLIB_WORKING_GRID_FAILED)) << working;
    }
}

}  // namespace
}  // namespace gridlib::testing
