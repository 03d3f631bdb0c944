#include "support/child_process.h"

#include <cstdlib>
#include <thread>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gridlib::testing {

std::optional<int> run_in_child(const std::function<int()>& body, std::chrono::milliseconds limit) {
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::setenv("GRIDLIB_THREADS", "1", 1);
        // _exit: the test process's own exit handlers and buffers are not the child's.
        ::_exit(body());
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
}

bool exited_with(const std::optional<int>& wait_status, int code) {
    return wait_status && WIFEXITED(*wait_status) && WEXITSTATUS(*wait_status) == code;
}

}  // namespace gridlib::testing
