// The signal handler may only use async-signal-safe calls, so registered
// names live in a fixed table of atomic pointers to strings that are built
// before they are published and freed only after they are withdrawn.
#include "platform/cleanup.h"

#include "platform/file.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace gridlib::platform {
namespace {

// A conversion holds at most a working grid and a temporary image at once;
// the table size is an arbitrary margin over that for other callers.
constexpr int kSlots = 64;
std::array<std::atomic<char*>, kSlots> g_paths{};

// The signals that end a run by default and can be caught: an interrupt, a
// termination request, the terminal closing, a quit, a reader gone away.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

void on_signal(int signo) {
    for (auto& slot : g_paths) {
        if (char* p = slot.load()) ::unlink(p);
    }
    std::signal(signo, SIG_DFL);
    std::raise(signo);
}

// The slot the path now holds, or -1 when the table is full: the file is
// then simply not cleaned up on a signal.
int publish(const std::string& path) {
    char* copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_paths[i].compare_exchange_strong(expected, copy)) return i;
    }
    delete[] copy;
    return -1;
}

void withdraw(int slot) { delete[] g_paths[slot].exchange(nullptr); }

// Runs make() with the ending signals held back.
template <typename Make>
auto with_signals_held(Make make) {
    const EndingSignalsHeld held;
    return make();
}

}  // namespace

EndingSignalsHeld::EndingSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signo : kEndingSignals) sigaddset(&held, signo);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

CleanupGuard::CleanupGuard(const std::string& path) : slot_(publish(path)) {}

CleanupGuard::~CleanupGuard() {
    if (slot_ >= 0) withdraw(slot_);
}

std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix,
                                                         std::optional<CleanupGuard>& guard) {
    return with_signals_held([&] {
        auto name = create_unique_file(dir, prefix, suffix);
        if (name) guard.emplace(*name);
        return name;
    });
}

std::optional<CreatedFile> create_registered_unique_open_file(const std::string& dir, const std::string& prefix,
                                                              const std::string& suffix,
                                                              std::optional<CleanupGuard>& guard) {
    return with_signals_held([&] {
        auto created = create_unique_open_file(dir, prefix, suffix);
        if (created) guard.emplace(created->name);
        return created;
    });
}

std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix) {
    return with_signals_held([&] {
        auto name = create_unique_file(dir, prefix, suffix);
        if (name) publish(*name);
        return name;
    });
}

bool remove_registered_file(const std::string& path) {
    // Removed before it is withdrawn, so that a signal in between still finds it.
    const bool removed = remove_file(path);
    for (int i = 0; i < kSlots; ++i) {
        char* p = g_paths[i].load();
        if (p && path == p) {
            withdraw(i);
            break;
        }
    }
    return removed;
}

void remove_registered_files_on_signals() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // While one handler removes the files, another ending signal waits.
    for (const int signo : kEndingSignals) sigaddset(&action.sa_mask, signo);
    for (const int signo : kEndingSignals) sigaction(signo, &action, nullptr);
    // A file-size limit would kill the run in the middle of a write; ignored,
    // the write fails instead and the run ends through its failure path.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace gridlib::platform
