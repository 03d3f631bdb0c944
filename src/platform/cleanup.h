// Files that must not outlive an interrupted run: temporary images and
// working grids are registered here while they exist, and a signal that
// ends the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE) removes every
// registered file first. There is one table per process, inside the
// library, whoever creates the files. Each file is removed through a handle
// on the folder it was made in, so that a folder renamed meanwhile keeps no
// leftover; and only by the process that registered it, so that a child
// made by fork() that ends by a signal leaves its parent's files alone.
#pragma once

#include "platform/file.h"

#include <csignal>
#include <optional>
#include <string>

namespace gridlib::platform {

// Registers a file for removal on an ending signal until the guard ends.
// The guard removes the file itself only when asked to (remove_file).
class CleanupGuard {
public:
    // The file name_in_folder within folder; a folder tree, everything in
    // it included, when `tree`.
    CleanupGuard(Folder folder, const std::string& name_in_folder, bool tree = false);
    CleanupGuard(const CleanupGuard&) = delete;
    CleanupGuard& operator=(const CleanupGuard&) = delete;
    // The registration passes on as it is: the file stays in the table.
    CleanupGuard(CleanupGuard&& other) noexcept : entry_(other.entry_), slot_(other.slot_) {
        other.entry_ = nullptr;
        other.slot_ = -1;
    }
    CleanupGuard& operator=(CleanupGuard&&) = delete;
    ~CleanupGuard();

    // Removes the file (or tree) through its folder, then withdraws it;
    // false when it could not be removed.
    bool remove_file();
    // Withdraws the file without removing it: it has been renamed away.
    void release();

    // What the signal handler reads of a registered file.
    struct Entry;

private:
    Entry* entry_;
    int slot_ = -1;  // in the table, or -1 when it was full
};

// Creates a new file under a unique name (see create_unique_open_file), kept
// open for writing, and registers it in guard with the ending signals held
// back meanwhile, so that no signal can fall between the file's creation
// and its registration. The created file's folder handle passes to the guard.
std::optional<CreatedFile> create_registered_unique_open_file(const std::string& dir, const std::string& prefix,
                                                              const std::string& suffix,
                                                              std::optional<CleanupGuard>& guard);

// The same for callers that keep no guard (the C interface): the file stays
// registered until remove_registered_file removes it.
std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix);
// Removes the file, then withdraws it from the table; false when it could
// not be removed. A file made by create_registered_unique_file is removed
// through its folder, wherever that has moved; any other by its path.
bool remove_registered_file(const std::string& path);

// Holds the ending signals back for its lifetime, so that a few steps that
// belong together (renaming several outputs into place) run as one; a
// signal that arrives meanwhile is delivered when the holder ends.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
    ~EndingSignalsHeld();

private:
    sigset_t previous_;
};

// Installs the handlers that remove the registered files, then let the
// signal end the process as it would have; and ignores SIGXFSZ, so that a
// write beyond a file-size limit fails instead of killing the process.
void remove_registered_files_on_signals();

}  // namespace gridlib::platform
