// A fixed set of threads that wait for a task, run it, and wait again.
#include "threads/pool.h"

#include "platform/processors.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace gridlib::threads {
namespace {

class Pool {
public:
    Pool() : owner_(platform::process_id()) {}
    ~Pool() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : threads_) t.join();
    }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    std::int64_t owner() const { return owner_; }

    void run(int threads, const std::function<void(int)>& task) {
        std::unique_lock busy(busy_, std::try_to_lock);
        const int helpers = busy ? start_threads(threads - 1) : 0;
        if (helpers == 0) {
            task(0);
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            task_ = &task;
            wanted_ = helpers;
            taken_ = 0;
            running_ = helpers;
        }
        wake_.notify_all();
        task(0);
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return running_ == 0; });
        task_ = nullptr;
        wanted_ = taken_ = 0;
    }

private:
    // Starts threads until `wanted` exist; how many there are.
    int start_threads(int wanted) {
        if (wanted <= 0) return 0;
        // The threads inherit a mask that blocks every signal: a signal sent
        // to the process is handled by the caller's own threads.
        const platform::AllSignalsBlocked blocked;
        while (static_cast<int>(threads_.size()) < wanted) {
            try {
                threads_.emplace_back([this] { serve(); });
            } catch (const std::system_error&) {
                break;  // the system's limit: work with the threads there are
            }
        }
        return std::min(wanted, static_cast<int>(threads_.size()));
    }

    void serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || taken_ < wanted_; });
            if (stopping_) return;
            const int index = ++taken_;
            const auto* task = task_;
            lock.unlock();
            (*task)(index);
            lock.lock();
            if (--running_ == 0) done_.notify_all();
        }
    }

    const std::int64_t owner_;
    std::mutex busy_;  // held by the call the threads work for
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> threads_;
    const std::function<void(int)>* task_ = nullptr;
    int wanted_ = 0;   // helpers the current task asks for
    int taken_ = 0;    // helpers that have started it
    int running_ = 0;  // helpers that have not yet finished it
    bool stopping_ = false;
};

// The process's pool, joined by the destructor at exit. A child forked while
// the pool existed inherits none of its threads: it leaves the copy alone
// (joining threads that do not exist would fail) and starts its own.
class ProcessPool {
public:
    ~ProcessPool() {
        const std::lock_guard lock(mutex_);
        if (pool_ && pool_->owner() == platform::process_id()) delete pool_;
        pool_ = nullptr;
    }
    Pool& get() {
        const std::lock_guard lock(mutex_);
        if (!pool_ || pool_->owner() != platform::process_id()) pool_ = new Pool;
        return *pool_;
    }

private:
    std::mutex mutex_;
    Pool* pool_ = nullptr;
};

ProcessPool g_pool;

}  // namespace

void run_together(int threads, const std::function<void(int)>& task) {
    if (threads <= 1) {
        task(0);
        return;
    }
    g_pool.get().run(threads, task);
}

}  // namespace gridlib::threads
