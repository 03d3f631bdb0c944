// The ordered run: every item delivered once and in order, the in-order
// stage never run for two items at once nor out of turn, and a run ended
// by its input, by its delivery or by an exception, whatever the threads.
#include "threads/ordered_run.h"
#include "threads/thread_count.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

namespace gridlib::threads {
namespace {

constexpr int kThreadCounts[] = {1, 2, 3, 5};

TEST(OrderedRun, DeliversEveryItemInOrderWhateverTheThreads) {
    for (int threads : kThreadCounts) {
        constexpr std::int64_t kItems = 200;
        std::vector<std::int64_t> result(slots_for(threads));
        std::atomic<bool> ordering{false};
        std::int64_t next_in_order = 0, next_delivered = 0;
        bool overlapped = false, out_of_turn = false;
        Stages stages;
        stages.in_order = [&](std::int64_t item, std::size_t) {
            overlapped |= ordering.exchange(true);
            out_of_turn |= item != next_in_order++;
            ordering = false;
            return true;
        };
        stages.in_parallel = [&](std::int64_t item, std::size_t slot) {
            // Items finish out of order: later ones often first.
            std::this_thread::sleep_for(std::chrono::microseconds((kItems - item) % 7 * 50));
            result[slot] = item * item;
        };
        stages.deliver = [&](std::int64_t item, std::size_t slot) {
            EXPECT_EQ(item, next_delivered++) << threads << " threads";
            EXPECT_EQ(result[slot], item * item) << threads << " threads";
            return true;
        };
        run_ordered(kItems, threads, stages);
        EXPECT_EQ(next_delivered, kItems) << threads << " threads";
        EXPECT_FALSE(overlapped) << threads << " threads";
        EXPECT_FALSE(out_of_turn) << threads << " threads";
    }
}

// Callers on several threads share one pool: whichever finds it busy runs
// alone, and every run still delivers all its items, in order, right.
TEST(OrderedRun, CallersOnSeveralThreadsEachGetTheirWholeRun) {
    constexpr int kCallers = 4;
    constexpr std::int64_t kItems = 300;
    std::array<std::int64_t, kCallers> delivered{}, wrong{};
    {
        std::vector<std::jthread> callers;
        for (int c = 0; c < kCallers; ++c) {
            callers.emplace_back([&, c] {
                const int threads = 3;
                std::vector<std::int64_t> result(slots_for(threads));
                Stages stages;
                stages.in_parallel = [&](std::int64_t item, std::size_t slot) {
                    std::this_thread::sleep_for(std::chrono::microseconds(item % 5 * 20));
                    result[slot] = item * (c + 1);
                };
                stages.deliver = [&](std::int64_t item, std::size_t slot) {
                    if (item != delivered[c] || result[slot] != item * (c + 1)) ++wrong[c];
                    ++delivered[c];
                    return true;
                };
                run_ordered(kItems, threads, stages);
            });
        }
    }
    for (int c = 0; c < kCallers; ++c) {
        EXPECT_EQ(delivered[c], kItems) << "caller " << c;
        EXPECT_EQ(wrong[c], 0) << "caller " << c;
    }
}

TEST(OrderedRun, EndsWithTheLastInputItemOrTheFirstRefusedDelivery) {
    for (int threads : kThreadCounts) {
        std::vector<std::int64_t> delivered;
        Stages input_ends;
        input_ends.in_order = [](std::int64_t item, std::size_t) { return item < 5; };
        input_ends.deliver = [&](std::int64_t item, std::size_t) {
            delivered.push_back(item);
            return true;
        };
        run_ordered(1000, threads, input_ends);
        EXPECT_EQ(delivered, (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5})) << threads << " threads";

        delivered.clear();
        Stages delivery_stops;
        delivery_stops.in_parallel = [](std::int64_t, std::size_t) {};
        delivery_stops.deliver = [&](std::int64_t item, std::size_t) {
            delivered.push_back(item);
            return item < 7;
        };
        run_ordered(1000, threads, delivery_stops);
        EXPECT_EQ(delivered.size(), 8u) << threads << " threads";
    }
}

TEST(OrderedRun, AnExceptionEndsTheRunAndIsThrownToTheCaller) {
    for (int threads : kThreadCounts) {
        std::int64_t delivered = 0;
        Stages stages;
        stages.in_parallel = [](std::int64_t item, std::size_t) {
            if (item == 30) throw std::runtime_error("item 30");
        };
        stages.deliver = [&](std::int64_t item, std::size_t) {
            EXPECT_LT(item, 30);
            ++delivered;
            return true;
        };
        EXPECT_THROW(run_ordered(100, threads, stages), std::runtime_error) << threads << " threads";
        EXPECT_LE(delivered, 30);
    }
}

TEST(ThreadCount, TheEnvironmentSetsItWithinItsRange) {
    ::setenv("GRIDLIB_THREADS", "3", 1);
    EXPECT_EQ(thread_count(), 3);
    ::setenv("GRIDLIB_THREADS", "1", 1);
    EXPECT_EQ(thread_count(), 1);
    ::unsetenv("GRIDLIB_THREADS");
    const int processors = thread_count();
    EXPECT_GE(processors, 1);
    for (const char* ignored : {"0", "-2", "65", "2x", "", "many"}) {
        ::setenv("GRIDLIB_THREADS", ignored, 1);
        EXPECT_EQ(thread_count(), processors) << '"' << ignored << '"';
    }
    ::unsetenv("GRIDLIB_THREADS");
}

}  // namespace
}  // namespace gridlib::threads
