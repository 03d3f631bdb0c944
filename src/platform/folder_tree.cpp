// Folder trees through the system calls. The signal-safe removal reads
// directory entries with getdents64, since readdir may allocate.
#include "platform/folder_tree.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace gridlib::platform {

bool make_folder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    struct stat st {};
    return errno == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool remove_tree(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !ec;
}

namespace {

bool is_dot_or_dot_dot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Empties the open folder fd, depth folders deep at most.
void empty_folder(int fd, int depth) noexcept {
    alignas(8) char buffer[4096];
    // Entries removed while the folder is read may shift the rest; a second
    // sweep finds what the first passed over.
    for (int sweep = 0; sweep < 2; ++sweep) {
        ::lseek(fd, 0, SEEK_SET);
        for (;;) {
            const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (long at = 0; at < got;) {
                struct Entry {
                    std::uint64_t inode;
                    std::int64_t offset;
                    unsigned short length;
                    unsigned char type;
                    char name[1];
                };
                const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
                at += entry->length;
                if (is_dot_or_dot_dot(entry->name)) continue;
                if (::unlinkat(fd, entry->name, 0) == 0 || errno != EISDIR) continue;
                if (depth > 0) {
                    const int child = ::openat(fd, entry->name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                    if (child >= 0) {
                        empty_folder(child, depth - 1);
                        ::close(child);
                    }
                }
                ::unlinkat(fd, entry->name, AT_REMOVEDIR);
            }
        }
    }
}

}  // namespace

bool remove_tree_at(int parent_descriptor, const char* name) noexcept {
    if (::unlinkat(parent_descriptor, name, 0) == 0) return true;
    // Other threads may still be writing files into it: a few rounds catch them.
    for (int round = 0; round < 16; ++round) {
        const int fd = ::openat(parent_descriptor, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return errno == ENOENT;
        empty_folder(fd, kSignalSafeDepth);
        ::close(fd);
        if (::unlinkat(parent_descriptor, name, AT_REMOVEDIR) == 0) return true;
    }
    return false;
}

FolderState folder_state(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? FolderState::absent : FolderState::not_a_folder;
    if (!S_ISDIR(st.st_mode)) return FolderState::not_a_folder;
    std::error_code ec;
    const std::filesystem::directory_iterator it(path, ec);
    if (ec) return FolderState::not_a_folder;
    return it == std::filesystem::directory_iterator() ? FolderState::empty : FolderState::filled;
}

Exchange exchange_names(const std::string& a, const std::string& b) {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return Exchange::done;
    // EINVAL: a file system without the flag (NFS, FAT, older FUSE ones);
    // ENOSYS: a kernel before 3.15 or a sandbox that filters the call.
    return errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ? Exchange::unsupported : Exchange::failed;
}

std::vector<std::string> names_starting_with(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(prefix)) names.push_back(std::move(name));
    }
    return names;
}

void walk_tree(const std::string& root, const std::function<bool(const std::string&, TreeEntry)>& visit) {
    std::vector<std::string> pending{""};  // relative paths of folders still to read
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        std::filesystem::directory_iterator it(root + "/" + folder, ec), end;
        if (ec) {
            if (!visit(folder, TreeEntry::unreadable)) return;
            continue;
        }
        for (; it != end; it.increment(ec)) {
            const std::string relative = (folder.empty() ? "" : folder + "/") + it->path().filename().string();
            const auto type = it->symlink_status(ec).type();
            const TreeEntry kind = ec ? TreeEntry::unreadable
                                   : type == std::filesystem::file_type::directory ? TreeEntry::folder
                                   : type == std::filesystem::file_type::regular   ? TreeEntry::file
                                                                                   : TreeEntry::other;
            if (!visit(relative, kind)) return;
            if (kind == TreeEntry::folder) pending.push_back(relative);
        }
        if (ec && !visit(folder, TreeEntry::unreadable)) return;
    }
}

}  // namespace gridlib::platform
