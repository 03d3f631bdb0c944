// Items worked on by several threads and delivered in order, as a parallel
// compressor writes one stream: each item is read (in order, when its input
// can only be read that way), worked on (on any thread, several items at
// once), and delivered (on the calling thread, in item order). At most
// slots_for(threads) items are between their start and their delivery, and
// item i uses slot i % slots, so that a caller holds one set of buffers per
// slot: memory is bounded by the slots, never by the number of items.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace gridlib::threads {

struct Stages {
    // Runs for one item at a time, in item order. False: the item is the
    // last one (its input ended or failed); it still passes through the
    // other stages. Empty: no such stage.
    std::function<bool(std::int64_t item, std::size_t slot)> in_order;
    // Runs on any thread, for several items at once.
    std::function<void(std::int64_t item, std::size_t slot)> in_parallel;
    // Runs on the calling thread, in item order. False: no later item is
    // delivered, and the run ends.
    std::function<bool(std::int64_t item, std::size_t slot)> deliver;
};

// The slots a run with this many threads uses.
std::size_t slots_for(int threads);

// Makes a run's buffers, one set per slot, by allocate(slots) for `threads`
// threads; when they do not fit in memory, for one thread, whose single
// slot needs the least. Returns the thread count the buffers were made for;
// throws std::bad_alloc when even those do not fit.
int threads_with_buffers(int threads, const std::function<void(std::size_t slots)>& allocate);

// Runs items 0 .. count - 1 through the stages with `threads` threads, the
// calling one included; 1 runs each item's stages in turn on the calling
// thread. Returns once no thread works on an item any more. An exception
// thrown by a stage ends the run and is thrown again here.
void run_ordered(std::int64_t count, int threads, const Stages& stages);

}  // namespace gridlib::threads
