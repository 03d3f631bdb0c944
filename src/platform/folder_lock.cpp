// Folder locks through flock, which the kernel releases when the process
// ends in any way, SIGKILL included: no lock outlives its holder.
#include "platform/folder_lock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gridlib::platform {
namespace {

struct Opened {
    int fd;
    dev_t device;
    ino_t inode;
};

}  // namespace

FolderLocks::FolderLocks(const std::vector<std::string>& folders, LockKind kind) {
    std::vector<Opened> opened;
    for (const std::string& folder : folders) {
        // Read access is needed for a descriptor flock takes; a folder that
        // cannot be read is passed over.
        const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            continue;
        }
        opened.push_back({fd, st.st_dev, st.st_ino});
    }
    std::ranges::sort(opened, [](const Opened& a, const Opened& b) {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    });
    for (std::size_t k = 0; k < opened.size(); ++k) {
        const Opened& o = opened[k];
        // A second name of a folder locked already: a second flock of it
        // through another descriptor would wait for this very holder.
        const bool again = k > 0 && opened[k - 1].device == o.device && opened[k - 1].inode == o.inode;
        int locked = -1;
        if (!again)
            while ((locked = ::flock(o.fd, kind == LockKind::shared ? LOCK_SH : LOCK_EX)) != 0 && errno == EINTR) {
            }
        if (locked == 0) {
            descriptors_.push_back(o.fd);
        } else {
            ::close(o.fd);
        }
    }
}

FolderLocks::~FolderLocks() {
    for (const int fd : descriptors_) ::close(fd);  // closing the descriptor releases its lock
}

}  // namespace gridlib::platform
