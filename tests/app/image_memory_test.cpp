// An image's blocks in flight fit the memory the process may use, which a
// limit on its address space (prlimit --as, ulimit -v) lowers: the threads
// are as many as keep their blocks within half of it, and an image whose
// single block does not fit is refused before it is begun, naming the
// memory.
#include "run_support.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace rastrify::testing {
namespace {

using gridlib::testing::read_text;
using gridlib::testing::TempDir;
using gridlib::testing::write_file;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

struct LimitedRun {
    int status = -1;         // the exit status; -1 when it did not exit
    std::uint64_t peak = 0;  // the most resident memory it held, in bytes
};

// Runs the converter in dir with its address space limited to `limit`
// bytes by prlimit (which becomes the converter: its resources are the
// run's), on `threads` threads, standard error into dir/err.
LimitedRun run_limited(const TempDir& dir, std::uint64_t limit, int threads,
                       const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"prlimit", "--as=" + std::to_string(limit), rastrify_path()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "GRIDLIB_THREADS=", 16) != 0) env.emplace_back(*e);
    env.push_back("GRIDLIB_THREADS=" + std::to_string(threads));
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, dir.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "prlimit", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    LimitedRun run;
    if (spawned != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) return run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peak = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
    return run;
}

class ImageMemory : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(dir.file("g.asc"), esri_grid(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        // A sanitized build reserves far more address space than any such
        // limit allows, and a machine may lack prlimit: nothing to learn then.
        if (run_limited(dir, 300 * kMiB, 1, {"g.asc", "probe.bmp"}).status != 0)
            GTEST_SKIP() << "the converter does not run under prlimit --as here";
        std::filesystem::remove(dir.file("probe.bmp"));
        std::filesystem::remove(dir.file("err"));
    }
    TempDir dir;
};

TEST_F(ImageMemory, ABlockBeyondTheLimitIsRefusedBeforeTheImageIsBegun) {
    // A TIFF's row of tiles of 256 lines of 2e6 pixels, a PNG's stream of a
    // line repeated 5e5 times: each over 300 MiB, which the sides' format
    // fields hold.
    for (const char* image : {"w.tif", "w.png"}) {
        const LimitedRun run = run_limited(dir, 300 * kMiB, 2, {"g.asc", image, "-W2000000"});
        EXPECT_EQ(run.status, 1) << image;
        const std::string err = read_text(dir.file("err"));
        const std::string kind = std::string(image) == "w.tif" ? "TIFF" : "PNG";
        EXPECT_EQ(err.rfind("  The " + kind +
                                " file could not be written : the process may use 314572800 bytes of memory and a "
                                "block of the image's lines needs ",
                            0),
                  0u)
            << err;
        EXPECT_TRUE(err.ends_with(" (status -2)\n")) << err;
        EXPECT_EQ(files_in(dir.path()), (std::set<std::string>{"err", "g.asc"})) << image;
    }
}

TEST_F(ImageMemory, TheBlocksOfManyThreadsStayWithinHalfTheLimit) {
    // 40 x 5 cells to 80000 x 10000 pixels: 39 rows of tiles of 20.5 MB.
    // 16 threads would keep 32 of them in flight, 656 MB; half of 700 MiB
    // holds 17.
    std::vector<double> values(200);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<double>(k);
    write_file(dir.file("wide.asc"), esri_grid(40, 5, values));
    const std::uint64_t limit = 700 * kMiB;
    const LimitedRun run = run_limited(dir, limit, 16, {"wide.asc", "w.tif", "-W80000"});
    ASSERT_EQ(run.status, 0) << read_text(dir.file("err"));
    // The rest of the run (the program, its libraries, the streams) holds little beside.
    EXPECT_LT(run.peak, limit / 2 + 48 * kMiB);
    EXPECT_GT(std::filesystem::file_size(dir.file("w.tif")), 0u);
}

}  // namespace
}  // namespace rastrify::testing
