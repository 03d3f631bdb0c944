// The signal handler may only use async-signal-safe calls, so registered
// files live in a fixed table of atomic pointers to entries that are built
// before they are published and freed only after they are withdrawn. The
// handler needs nothing but getpid and the *at calls on what an entry holds.
#include "platform/cleanup.h"

#include "platform/file.h"
#include "platform/folder_tree.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace gridlib::platform {

struct CleanupGuard::Entry {
    Folder folder;
    pid_t owner;  // a child made by fork() inherits the table, not the files
    std::unique_ptr<char[]> name_in_folder;
    bool tree = false;
};

namespace {

// A conversion holds at most a working grid, a gradient file and its pending
// outputs (image, world file, colour bar, kept scale) at once, and several
// conversions may run on threads of one process; the table size is an
// arbitrary margin over that (the handler looks at every slot, which costs
// nothing until a signal comes).
constexpr int kSlots = 1024;
std::array<std::atomic<CleanupGuard::Entry*>, kSlots> g_entries{};

// The signals that end a run by default and can be caught: an interrupt, a
// termination request, the terminal closing, a quit, a reader gone away.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

bool remove_entry(const CleanupGuard::Entry& e) {
    if (e.tree) return remove_tree_at(e.folder.descriptor(), e.name_in_folder.get());
    return ::unlinkat(e.folder.descriptor(), e.name_in_folder.get(), 0) == 0;
}

void on_signal(int signo) {
    const pid_t self = ::getpid();
    for (auto& slot : g_entries) {
        const CleanupGuard::Entry* e = slot.load();
        if (e && e->owner == self) remove_entry(*e);
    }
    std::signal(signo, SIG_DFL);
    std::raise(signo);
}

// The slot the entry now holds, or -1 when the table is full: the file is
// then simply not cleaned up on a signal.
int publish(CleanupGuard::Entry* entry) {
    for (int i = 0; i < kSlots; ++i) {
        CleanupGuard::Entry* expected = nullptr;
        if (g_entries[i].compare_exchange_strong(expected, entry)) return i;
    }
    return -1;
}

// The files of the C interface, by the name it returned: a caller keeps
// only the name, and gives it back to remove the file.
std::mutex g_named_mutex;
std::map<std::string, CleanupGuard>& named_files() {
    // Never destroyed: a file may still be removed while the process ends,
    // from the destructor of another static object.
    static auto* files = new std::map<std::string, CleanupGuard>;
    return *files;
}

}  // namespace

EndingSignalsHeld::EndingSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signo : kEndingSignals) sigaddset(&held, signo);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

CleanupGuard::CleanupGuard(Folder folder, const std::string& name_in_folder, bool tree)
    : entry_(new Entry{std::move(folder), ::getpid(), std::make_unique<char[]>(name_in_folder.size() + 1), tree}) {
    std::memcpy(entry_->name_in_folder.get(), name_in_folder.c_str(), name_in_folder.size() + 1);
    slot_ = publish(entry_);
}

CleanupGuard::~CleanupGuard() {
    if (slot_ >= 0) g_entries[slot_].store(nullptr);
    delete entry_;
}

bool CleanupGuard::remove_file() {
    if (!entry_) return false;
    // Removed before it is withdrawn, so that a signal in between still finds it.
    const bool removed = remove_entry(*entry_);
    release();
    return removed;
}

void CleanupGuard::release() {
    if (slot_ >= 0) g_entries[slot_].store(nullptr);
    slot_ = -1;
}

std::optional<CreatedFile> create_registered_unique_open_file(const std::string& dir, const std::string& prefix,
                                                              const std::string& suffix,
                                                              std::optional<CleanupGuard>& guard) {
    const EndingSignalsHeld held;
    auto created = create_unique_open_file(dir, prefix, suffix);
    if (created) guard.emplace(std::move(created->folder), created->name_in_folder);
    return created;
}

std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix) {
    const EndingSignalsHeld held;
    auto created = create_unique_open_file(dir, prefix, suffix);
    if (!created) return std::nullopt;
    created->file.close();
    const std::lock_guard lock(g_named_mutex);
    named_files().try_emplace(created->name, std::move(created->folder), created->name_in_folder);
    return std::move(created->name);
}

bool remove_registered_file(const std::string& path) {
    const std::lock_guard lock(g_named_mutex);
    auto& files = named_files();
    const auto found = files.find(path);
    if (found == files.end()) return remove_file(path);
    const bool removed = found->second.remove_file();
    files.erase(found);
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
