// Files that must not outlive an interrupted run: temporary images and
// working grids are registered here while they exist, and a signal that
// ends the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE) removes every
// registered file first. There is one table per process, inside the
// library, whoever creates the files.
#pragma once

#include "platform/file.h"

#include <csignal>
#include <optional>
#include <string>

namespace gridlib::platform {

// Registers a path for removal on an ending signal until the guard ends.
// The guard does not remove the file itself: call remove_file for that.
class CleanupGuard {
public:
    explicit CleanupGuard(const std::string& path);
    CleanupGuard(const CleanupGuard&) = delete;
    CleanupGuard& operator=(const CleanupGuard&) = delete;
    ~CleanupGuard();

private:
    int slot_ = -1;
};

// Creates a new file under a unique name (see create_unique_file) and
// registers it in guard with the ending signals held back meanwhile, so that
// no signal can fall between the file's creation and its registration.
std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix,
                                                         std::optional<CleanupGuard>& guard);

// The same, the file kept open for writing (see create_unique_open_file).
std::optional<CreatedFile> create_registered_unique_open_file(const std::string& dir, const std::string& prefix,
                                                              const std::string& suffix,
                                                              std::optional<CleanupGuard>& guard);

// The same for callers that keep no guard (the C interface): the file stays
// registered until remove_registered_file removes it.
std::optional<std::string> create_registered_unique_file(const std::string& dir, const std::string& prefix,
                                                         const std::string& suffix);
// Removes the file, then withdraws it from the table; false when it could
// not be removed.
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
