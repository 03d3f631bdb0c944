// The pyramid's viewer in a real browser (tools/viewer_reader.py: headless
// Chromium, the folder served on 127.0.0.1): the map shows tiles, the page
// asks for nothing the folder lacks, a mouse move over a cell shows its
// value, and the grid's name shows as text, never as markup. Skipped where
// Chromium or Pillow is missing.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::TempDir;
using gridlib::testing::write_file;

std::string source_dir() {
    const char* root = std::getenv("GRIDLIB_SOURCE_DIR");
    return root ? root : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}

// What the reader prints; nothing when it finds no Chromium or Pillow.
std::optional<std::string> read_viewer(const std::string& folder, int column, int row) {
    const std::string command = "/usr/bin/python3 '" + source_dir() + "/tools/viewer_reader.py' '" + folder + "' " +
                                std::to_string(column) + " " + std::to_string(row);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe.get())) out += line;
    const int status = pipe ? ::pclose(pipe.release()) : -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return std::nullopt;
    EXPECT_EQ(status, 0) << command;
    return out;
}

TEST(TilesViewer, ShowsTheTilesAndTheValueUnderTheCursor) {
    TempDir dir;
    // 600 x 300 cells of 10 from (1000, 2000): three levels; cell values
    // tell their place, and one cell is null.
    const int columns = 600, rows = 300;
    std::string grid = "ncols 600\nnrows 300\nxllcorner 1000\nyllcorner 2000\ncellsize 10\nNODATA_value -9999\n";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            grid += (r == 270 && c == 300 ? std::string("-9999") : std::to_string(r * 1000 + c) + ".5") +
                    (c + 1 < columns ? " " : "\n");
    write_file(dir.file("g.asc"), grid);
    const RunResult r = run_rastrify(dir.path(), {"g.asc", "out", "-T"});
    ASSERT_EQ(r.status, 0) << r.err;
    struct Case {
        int column, row;
        std::string want;
    };
    for (const Case& c : std::vector<Case>{{517, 263, "readout column 517, row 263\nreadout value 263517.5\n"},
                                           {300, 270, "readout column 300, row 270\nreadout no data\n"}}) {
        const auto seen = read_viewer(dir.file("out"), c.column, c.row);
        if (!seen) GTEST_SKIP() << "no Chromium or Pillow";
        EXPECT_NE(seen->find(c.want), std::string::npos) << *seen;
        EXPECT_EQ(seen->find("missing"), std::string::npos) << *seen;
        long coloured = 0;
        ASSERT_EQ(std::sscanf(seen->c_str(), "coloured %ld", &coloured), 1) << *seen;
        EXPECT_GT(coloured, 50000) << *seen;
    }
}

// A file name may hold markup; the page shows it as the characters it is.
TEST(TilesViewer, ShowsTheGridsNameAsText) {
    TempDir dir;
    const std::string name = "dem<img src=x onerror=\"document.title='PWNED'\">&amp;.asc";
    std::string grid = "ncols 20\nnrows 10\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 20; ++c) grid += std::to_string(r * 20 + c) + (c + 1 < 20 ? " " : "\n");
    write_file(dir.file(name), grid);
    const RunResult r = run_rastrify(dir.path(), {name, "out", "-T"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto seen = read_viewer(dir.file("out"), 3, 4);
    if (!seen) GTEST_SKIP() << "no Chromium or Pillow";
    for (const std::string& want : {"\ntitle " + name + "\n", "\nheading " + name + "\n", std::string("\ninjected 0\n")})
        EXPECT_NE(seen->find(want), std::string::npos) << want << "\n" << *seen;
    EXPECT_EQ(seen->find("missing"), std::string::npos) << *seen;
}

}  // namespace
}  // namespace rastrify::testing
