// Unit numbers of open text files opened from several threads at once: never
// one number for two files open at the same time (file_test.cpp has the
// numbering itself).
#include "platform/text_units.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace gridlib::platform {
namespace {

TEST(TextUnits, ThreadsOpeningAtOnceNeverShareANumber) {
    testing::TempDir dir;
    testing::write_file(dir.file("t.txt"), "1\n");
    constexpr int kThreads = 4, kOpens = 200, kHighest = 100 + kThreads;
    // How many open files hold each number now; more than one is the fault.
    std::array<std::atomic<int>, kHighest + 1> holders{};
    std::atomic<int> shared{0}, out_of_range{0};
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int k = 0; k < kOpens; ++k) {
                    auto unit = TextUnit::open(dir.file("t.txt"));
                    if (!unit) continue;
                    const int n = unit->number();
                    if (n < 100 || n > kHighest) {
                        ++out_of_range;
                        continue;
                    }
                    if (holders[static_cast<std::size_t>(n)].fetch_add(1) != 0) ++shared;
                    std::this_thread::yield();
                    holders[static_cast<std::size_t>(n)].fetch_sub(1);
                }
            });
        }
    }
    EXPECT_EQ(shared.load(), 0);
    EXPECT_EQ(out_of_range.load(), 0);
}

}  // namespace
}  // namespace gridlib::platform
