// The worker threads every routine shares: started when a call first needs
// them, idle between calls (they hold nothing of a call once it returns),
// and joined when the process ends. A forked child starts its own.
#pragma once

#include <functional>

namespace gridlib::threads {

// Runs task(0) on the calling thread and task(1) .. task(threads - 1) on
// pool threads, and returns once all of them have returned. When the pool
// is busy with another call (another of the caller's threads, or a task
// that calls back into it), or threads cannot be started, fewer helpers
// run: a task must do all of the work when it finds itself alone.
// Exceptions must not leave a task.
void run_together(int threads, const std::function<void(int)>& task);

}  // namespace gridlib::threads
