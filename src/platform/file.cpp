// POSIX implementation of the platform file layer. Positioned reads and writes
// (pread, pwrite) keep the logical position in this object, so a seek never
// costs a system call and the buffer survives seeks that stay inside it.
#include "platform/file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace gridlib::platform {
namespace {

// Large enough that a text grid is scanned with few system calls, small
// enough that opening a file for its first 120 bytes costs nothing.
constexpr std::size_t kBufferSize = 256 * 1024;

ssize_t pread_retry(int fd, void* dst, std::size_t n, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(fd, dst, n, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool pwrite_all(int fd, const char* src, std::size_t n, std::uint64_t offset) {
    while (n > 0) {
        const ssize_t put = ::pwrite(fd, src, n, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;  // a write that moves nothing would never end
        src += put;
        n -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return true;
}

// A regular file's reads and writes never wait, whatever the flag says;
// cleared all the same, so that the descriptor behaves as any other.
bool clear_nonblocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// An offset and length that a file position (off_t) can express.
bool fits_file_position(std::uint64_t offset, std::size_t n) {
    constexpr auto kMax = static_cast<std::uint64_t>(LLONG_MAX);
    return offset <= kMax && n <= kMax - offset;
}

}  // namespace

File::File(int fd, Mode mode) : fd_(fd), mode_(mode), buffer_(kBufferSize) {}

File::File(File&& other) noexcept { *this = std::move(other); }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        mode_ = other.mode_;
        buffer_ = std::move(other.buffer_);
        base_ = other.base_;
        pos_ = other.pos_;
        end_ = other.end_;
        failed_ = other.failed_;
        other.fd_ = -1;
        other.pos_ = other.end_ = 0;
    }
    return *this;
}

File::~File() { close(); }

std::optional<File> File::open_read(const std::string& path) {
    // Only regular files: a FIFO would block the open itself (hence
    // O_NONBLOCK) and a device such as /dev/zero would never end.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return File(fd, Mode::read);
}

std::optional<File> File::create(const std::string& path) {
    // Anything but a regular file is refused before it is opened: opening a
    // device may act on it, and a FIFO would block the open until a reader
    // came. O_NONBLOCK covers a FIFO made in between (the open fails at once
    // without a reader) and the check after the open covers the rest.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return std::nullopt;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return std::nullopt;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_size > 0 && ::ftruncate(fd, 0) != 0) ||
        !clear_nonblocking(fd)) {
        ::close(fd);
        return std::nullopt;
    }
    return File(fd, Mode::write);
}

bool File::refill() {
    if (fd_ < 0 || mode_ != Mode::read) return false;
    base_ += end_;
    pos_ = end_ = 0;
    const ssize_t got = pread_retry(fd_, buffer_.data(), buffer_.size(), base_);
    if (got < 0) {
        failed_ = true;
        return false;
    }
    end_ = static_cast<std::size_t>(got);
    return end_ > 0;
}

std::size_t File::read(std::span<std::byte> out) {
    if (fd_ < 0 || mode_ != Mode::read) return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        if (pos_ == end_) {
            const std::size_t wanted = out.size() - done;
            if (wanted >= buffer_.size()) {
                // A large request goes straight into the caller's memory.
                base_ += end_;
                pos_ = end_ = 0;
                const ssize_t got = pread_retry(fd_, out.data() + done, wanted, base_);
                if (got < 0) failed_ = true;
                if (got <= 0) break;
                base_ += static_cast<std::uint64_t>(got);
                done += static_cast<std::size_t>(got);
                continue;
            }
            if (!refill()) break;
        }
        const std::size_t n = std::min(end_ - pos_, out.size() - done);
        std::memcpy(out.data() + done, buffer_.data() + pos_, n);
        pos_ += n;
        done += n;
    }
    return done;
}

std::size_t File::read_at(std::uint64_t offset, std::span<std::byte> out) {
    if (fd_ < 0 || mode_ != Mode::read) return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = pread_retry(fd_, out.data() + done, out.size() - done, offset + done);
        if (got < 0) failed_ = true;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t File::read_at_concurrently(std::uint64_t offset, std::span<std::byte> out) const {
    if (fd_ < 0 || mode_ != Mode::read) return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = pread_retry(fd_, out.data() + done, out.size() - done, offset + done);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool File::flush() {
    if (fd_ < 0 || mode_ != Mode::write || pos_ == 0) return !failed_;
    if (!pwrite_all(fd_, buffer_.data(), pos_, base_)) failed_ = true;
    base_ += pos_;
    pos_ = 0;
    return !failed_;
}

bool File::write(std::span<const std::byte> bytes) {
    if (fd_ < 0 || mode_ != Mode::write) return false;
    const char* src = reinterpret_cast<const char*>(bytes.data());
    std::size_t n = bytes.size();
    if (n > buffer_.size() - pos_) {
        if (!flush()) return false;
        if (n >= buffer_.size()) {
            if (!pwrite_all(fd_, src, n, base_)) {
                failed_ = true;
                return false;
            }
            base_ += n;
            return true;
        }
    }
    std::memcpy(buffer_.data() + pos_, src, n);
    pos_ += n;
    return !failed_;
}

bool File::write_at(std::uint64_t offset, std::span<const std::byte> bytes) {
    if (fd_ < 0 || mode_ != Mode::write || !fits_file_position(offset, bytes.size()) || !flush()) return false;
    if (!pwrite_all(fd_, reinterpret_cast<const char*>(bytes.data()), bytes.size(), offset)) failed_ = true;
    return !failed_;
}

bool File::seek(std::uint64_t offset) {
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(LLONG_MAX)) return false;
    if (mode_ == Mode::write) {
        if (offset == position()) return true;
        if (!flush()) return false;
        base_ = offset;
        return true;
    }
    if (offset >= base_ && offset <= base_ + end_) {
        pos_ = static_cast<std::size_t>(offset - base_);
    } else {
        base_ = offset;
        pos_ = end_ = 0;
    }
    return true;
}

std::optional<std::uint64_t> File::size() {
    if (fd_ < 0) return std::nullopt;
    if (mode_ == Mode::write && !flush()) return std::nullopt;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool File::close() {
    if (fd_ < 0) return !failed_;
    flush();
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    pos_ = end_ = 0;
    return !failed_;
}

bool BorrowedDescriptor::read_exact_at(std::uint64_t offset, std::span<std::byte> out) const {
    if (fd_ < 0 || !fits_file_position(offset, out.size())) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = pread_retry(fd_, out.data() + done, out.size() - done, offset + done);
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool BorrowedDescriptor::write_all_at(std::uint64_t offset, std::span<const std::byte> bytes) const {
    if (fd_ < 0 || !fits_file_position(offset, bytes.size())) return false;
    // Opened for appending, every write would land at the end of the file,
    // wherever it was meant to go.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || (flags & O_APPEND) != 0) return false;
    return pwrite_all(fd_, reinterpret_cast<const char*>(bytes.data()), bytes.size(), offset);
}

std::optional<std::uint64_t> BorrowedDescriptor::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

FileKind kind_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return FileKind::absent;
    return S_ISREG(st.st_mode) ? FileKind::regular : FileKind::other;
}

std::string final_link_target(const std::string& path) {
    std::string current = path;
    // The system's own limit on links followed in one name resolution.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(n));
        current = target.starts_with('/') ? target : directory_of(current) + target;
    }
    return current;
}

bool is_terminal(int descriptor) { return ::isatty(descriptor) == 1; }

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool rename_file(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string directory_of(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

// Tries names prefix + <process id>-<8 random characters> + suffix until
// make(name) succeeds (true) or fails for another reason than the name
// being taken (false: errno tells); empty when no name could be had.
template <typename Make>
std::optional<std::string> with_unique_name(const std::string& prefix, const std::string& suffix, Make make) {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    static std::atomic<std::uint64_t> counter = 0;
    std::random_device entropy;
    const std::string owner = std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t x = (std::uint64_t{entropy()} << 32) ^ entropy() ^
                          (static_cast<std::uint64_t>(::getpid()) << 16) ^ ++counter;
        std::string unique = owner;
        for (int k = 0; k < 8; ++k, x /= 36) unique.push_back(digits[x % 36]);
        std::string name = prefix + unique + suffix;
        if (make(name)) return name;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Folder> Folder::open(const std::string& path) {
    // Only a handle to find names in: no permission to read the folder is needed.
#ifdef O_PATH
    constexpr int kHandleOnly = O_PATH;
#else
    constexpr int kHandleOnly = O_RDONLY;
#endif
    const int fd = ::open(path.empty() ? "." : path.c_str(), kHandleOnly | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    return Folder(fd);
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Folder::~Folder() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t unique_part_length() { return std::to_string(::getpid()).size() + 1 + 8; }

std::optional<CreatedFile> create_unique_open_file(const std::string& dir, const std::string& prefix,
                                                   const std::string& suffix) {
    auto folder = Folder::open(dir);
    if (!folder) return std::nullopt;
    // O_EXCL makes the name ours alone; the mode is that of any new file
    // (0666 less the umask), since an image made this way is renamed into place.
    int fd = -1;
    auto name = with_unique_name(prefix, suffix, [&](const std::string& in_folder) {
        fd = ::openat(folder->descriptor(), in_folder.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0666);
        return fd >= 0;
    });
    if (!name) return std::nullopt;
    return CreatedFile{dir + *name, std::move(*name), File(fd, File::Mode::write), std::move(*folder)};
}

std::optional<CreatedFolder> create_unique_folder(const std::string& dir, const std::string& prefix) {
    auto parent = Folder::open(dir);
    if (!parent) return std::nullopt;
    auto name = with_unique_name(prefix, "", [&](const std::string& in_folder) {
        return ::mkdirat(parent->descriptor(), in_folder.c_str(), 0777) == 0;
    });
    if (!name) return std::nullopt;
    return CreatedFolder{dir + *name, std::move(*name), std::move(*parent)};
}

std::optional<std::string> keep_under_unique_name(const std::string& path, const std::string& prefix,
                                                  const std::string& suffix) {
    const std::string dir = directory_of(path);
    auto linked = with_unique_name(prefix, suffix, [&](const std::string& in_folder) {
        return ::link(path.c_str(), (dir + in_folder).c_str()) == 0;
    });
    if (linked) return dir + *linked;
    // A file system without hard links (FAT, some network shares): the file
    // moves to a name of its own instead, made empty first so that the
    // rename replaces nothing but that.
    auto moved = create_unique_file(dir, prefix, suffix);
    if (moved && !rename_file(path, *moved)) {
        remove_file(*moved);
        return std::nullopt;
    }
    return moved;
}

std::optional<std::string> create_unique_file(const std::string& dir, const std::string& prefix,
                                              const std::string& suffix) {
    auto created = create_unique_open_file(dir, prefix, suffix);
    if (!created) return std::nullopt;
    created->file.close();
    return std::move(created->name);
}

}  // namespace gridlib::platform
