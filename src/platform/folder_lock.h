// Locks on folders, so that runs of separate processes (or threads) that
// replace something in the same folder take turns, and that a look at what
// a folder holds never sees a replacement half done: flock on the folder
// itself, which leaves no lock file behind.
#pragma once

#include <string>
#include <vector>

namespace gridlib::platform {

enum class LockKind {
    exclusive,  // to replace something in the folder
    shared      // to look: many may look at once, none while one replaces
};

class FolderLocks {
public:
    // Takes the lock of each folder (an empty name: the current one),
    // waiting while another holder has it. A folder named twice is locked
    // once, and the locks are taken in the order of the folders' device and
    // inode numbers, the same in every process, so that two holders never
    // wait for each other in a circle. A folder that cannot be opened, or
    // whose file system takes no locks (some network shares), is passed
    // over: the caller goes on without its lock.
    explicit FolderLocks(const std::vector<std::string>& folders, LockKind kind = LockKind::exclusive);
    ~FolderLocks();
    FolderLocks(FolderLocks&& other) noexcept : descriptors_(std::move(other.descriptors_)) {}
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;
    FolderLocks& operator=(FolderLocks&&) = delete;

private:
    std::vector<int> descriptors_;  // open, locked
};

}  // namespace gridlib::platform
