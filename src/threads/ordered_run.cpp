// The ordered run: the calling thread delivers, and works whenever it has
// nothing to deliver; the pool's threads work.
#include "threads/ordered_run.h"

#include "threads/pool.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <vector>

namespace gridlib::threads {
namespace {

class OrderedRun {
public:
    OrderedRun(std::int64_t count, std::size_t slots, const Stages& stages)
        : stages_(stages), slots_(slots), end_(count), finished_(slots, -1) {}

    // The calling thread: delivers items in order and works in between.
    void lead() {
        std::unique_lock lock(mutex_);
        while (!stopped_ && delivered_ < end_) {
            const std::size_t slot = slot_of(delivered_);
            if (finished_[slot] == delivered_) {
                lock.unlock();
                bool more = true;
                const bool completed = guarded([&] {
                    if (stages_.deliver) more = stages_.deliver(delivered_, slot);
                });
                lock.lock();
                ++delivered_;
                if (!more || !completed) stopped_ = true;
                changed_.notify_all();
            } else if (can_start()) {
                work_on_next(lock);
            } else {
                changed_.wait(lock);
            }
        }
        // No item is started any more; those under way are awaited, since
        // their stages use the caller's buffers.
        stopped_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return working_ == 0; });
    }

    // A pool thread: works until nothing is left to start.
    void help() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopped_ || next_ >= end_ || can_start(); });
            if (stopped_ || next_ >= end_) return;
            work_on_next(lock);
        }
    }

    void rethrow() const {
        if (error_) std::rethrow_exception(error_);
    }

private:
    std::size_t slot_of(std::int64_t item) const { return static_cast<std::size_t>(item) % slots_; }

    bool can_start() const {
        return !stopped_ && next_ < end_ && next_ < delivered_ + static_cast<std::int64_t>(slots_) &&
               !(stages_.in_order && ordering_);
    }

    // Runs a stage, called without the lock; false when it threw, and the
    // exception is kept for the caller.
    template <typename Stage>
    bool guarded(Stage stage) {
        try {
            stage();
            return true;
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!error_) error_ = std::current_exception();
            return false;
        }
    }

    // Called with the lock held and can_start() true; returns with it held.
    void work_on_next(std::unique_lock<std::mutex>& lock) {
        const std::int64_t item = next_++;
        const std::size_t slot = slot_of(item);
        ++working_;
        bool failed = false;
        if (stages_.in_order) {
            ordering_ = true;
            lock.unlock();
            bool more = true;
            failed = !guarded([&] { more = stages_.in_order(item, slot); });
            lock.lock();
            ordering_ = false;
            if (!more || failed) end_ = std::min(end_, item + 1);
            changed_.notify_all();
        }
        if (!failed && stages_.in_parallel) {
            lock.unlock();
            failed = !guarded([&] { stages_.in_parallel(item, slot); });
            lock.lock();
        }
        finished_[slot] = item;
        --working_;
        if (failed) stopped_ = true;
        changed_.notify_all();
    }

    const Stages& stages_;
    const std::size_t slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t end_;            // items beyond this are not started
    std::int64_t next_ = 0;       // the next item to start
    std::int64_t delivered_ = 0;  // items delivered
    int working_ = 0;             // items started and not yet finished
    bool ordering_ = false;       // an in-order stage is running
    bool stopped_ = false;
    std::vector<std::int64_t> finished_;  // per slot: the item last finished in it
    std::exception_ptr error_;
};

}  // namespace

std::size_t slots_for(int threads) { return threads <= 1 ? 1 : 2 * static_cast<std::size_t>(threads); }

int threads_with_buffers(int threads, const std::function<void(std::size_t slots)>& allocate) {
    try {
        allocate(slots_for(threads));
        return threads;
    } catch (const std::bad_alloc&) {
        if (threads <= 1) throw;
    }
    allocate(slots_for(1));
    return 1;
}

void run_ordered(std::int64_t count, int threads, const Stages& stages) {
    if (count <= 0) return;
    // A single item needs no helper woken for it. Fewer slots than the
    // caller made room for are fine: item i < count uses slot i % slots.
    if (count == 1) threads = 1;
    OrderedRun run(count, slots_for(threads), stages);
    run_together(threads, [&](int index) {
        if (index == 0) {
            run.lead();
        } else {
            run.help();
        }
    });
    run.rethrow();
}

}  // namespace gridlib::threads
