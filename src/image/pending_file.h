// An output file that appears only when it is complete: it is written under
// a unique temporary name in the target's directory and renamed onto the
// target at the end, so a failed or interrupted run leaves no partial file
// and an existing file of that name stays intact until the rename. A target
// that is a symbolic link is followed to the file it names; one that exists
// and is not a regular file is refused.
#pragma once

#include "platform/cleanup.h"
#include "platform/file.h"

#include <optional>
#include <string>

namespace gridlib {

class PendingFile {
public:
    // Creates the temporary file; is_open() tells whether that worked (a
    // refused target leaves it false).
    explicit PendingFile(std::string target);
    // Removes the temporary file unless commit() succeeded.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool is_open() const { return file_.is_open(); }
    platform::File& file() { return file_; }
    // Closes the file and renames it onto the target, or, while an output
    // group is open on this thread, hands it to the group to rename with the
    // others. False when a write, the close or the rename failed; the
    // temporary file is then removed.
    bool commit();

private:
    void discard();

    std::string target_;
    std::string temporary_;
    // Registered for removal on SIGINT/SIGTERM for as long as it exists.
    std::optional<platform::CleanupGuard> guard_;
    platform::File file_;
};

}  // namespace gridlib
