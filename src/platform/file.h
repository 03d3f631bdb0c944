// The platform layer: the only code that talks to the operating system.
// File is a move-only handle over a POSIX descriptor, opened either for
// reading or for writing. Reads and writes are buffered, yet position() is
// always the exact offset of the next unread (or unwritten) byte, so that
// header readers can mix line reads, byte reads and seeks on one handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gridlib::platform {

struct CreatedFile;

class File {
public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Opens an existing regular file for reading. An empty optional when it
    // cannot be opened or is a directory, FIFO or device.
    static std::optional<File> open_read(const std::string& path);
    // Creates a file for writing, or empties an existing one. A symbolic
    // link at the path is refused rather than followed, and so is anything
    // but a regular file (a FIFO, a device, a socket, a directory), at once:
    // the open never waits for a FIFO's reader. A file that is empty
    // already is not truncated: on some file systems (ext4) a truncation
    // makes the close that follows wait for the data written since, and a
    // caller that created the file just before would pay for it.
    static std::optional<File> create(const std::string& path);

    bool is_open() const { return fd_ >= 0; }

    // Reads up to out.size() bytes; fewer only at the end of the file or on a
    // read error (error() tells which).
    std::size_t read(std::span<std::byte> out);
    // Reads exactly out.size() bytes; false when the file ends first.
    bool read_exact(std::span<std::byte> out) { return read(out) == out.size(); }
    // The next byte, or -1 at the end of the file.
    int read_byte() {
        if (pos_ < end_) return static_cast<unsigned char>(buffer_[pos_++]);
        return refill() ? static_cast<unsigned char>(buffer_[pos_++]) : -1;
    }
    // The next byte without consuming it, or -1 at the end of the file.
    int peek_byte() {
        if (pos_ < end_) return static_cast<unsigned char>(buffer_[pos_]);
        return refill() ? static_cast<unsigned char>(buffer_[pos_]) : -1;
    }
    // Direct access to the read buffer for scanners: the bytes buffered and not
    // yet consumed, refilled when none are left; empty at the end of the file.
    std::span<const char> buffered() {
        if (pos_ == end_) refill();
        return {buffer_.data() + pos_, end_ - pos_};
    }
    void consume(std::size_t n) { pos_ += n; }

    // Reads up to out.size() bytes at an absolute offset, bypassing the
    // buffer and leaving position() alone: for records read out of order
    // (rows bottom-up, every n-th row), which a read-ahead buffer would only
    // copy in vain. Fewer bytes only at the end of the file or on an error.
    std::size_t read_at(std::uint64_t offset, std::span<std::byte> out);
    // The same for several threads at once: the handle is left as it is,
    // and a read error shows only as a short count.
    std::size_t read_at_concurrently(std::uint64_t offset, std::span<std::byte> out) const;

    // Writes all bytes; false on failure.
    bool write(std::span<const std::byte> bytes);
    // Writes all bytes at an absolute offset, straight from the caller's
    // memory, after the bytes written before; position() is left alone.
    bool write_at(std::uint64_t offset, std::span<const std::byte> bytes);
    // Moves to an absolute byte offset; false when the system refuses.
    bool seek(std::uint64_t offset);
    std::uint64_t position() const { return base_ + pos_; }
    // The file's current size, including bytes still in the write buffer.
    std::optional<std::uint64_t> size();
    // Flushes pending writes and closes; false if anything failed since opening.
    bool close();
    // True once a read or write has failed.
    bool error() const { return failed_; }

private:
    friend std::optional<CreatedFile> create_unique_open_file(const std::string&, const std::string&,
                                                              const std::string&);
    enum class Mode { read, write };
    File(int fd, Mode mode);
    bool refill();
    bool flush();

    int fd_ = -1;
    Mode mode_ = Mode::read;
    std::vector<char> buffer_;
    std::uint64_t base_ = 0;  // file offset of buffer_[0]
    std::size_t pos_ = 0;     // next byte within the buffer
    std::size_t end_ = 0;     // read mode: bytes valid in the buffer
    bool failed_ = false;
};

// A descriptor that a caller of the library opened and still owns, moved to
// and from at absolute offsets. It is never closed here, and its file
// position is left alone: reads and writes are positioned, not seeks.
class BorrowedDescriptor {
public:
    explicit BorrowedDescriptor(int fd) : fd_(fd) {}

    // True when exactly out.size() bytes were read at offset; false when the
    // file ends first, the read fails or the offset is beyond a file position.
    bool read_exact_at(std::uint64_t offset, std::span<std::byte> out) const;
    // True when all bytes were written at offset; a descriptor opened for
    // appending is refused, since it cannot write anywhere but at the end.
    bool write_all_at(std::uint64_t offset, std::span<const std::byte> bytes) const;
    // The file's size; empty when the descriptor is not open or not a file.
    std::optional<std::uint64_t> size() const;

private:
    int fd_;
};

// Reads n bytes as a value of trivially copyable type T (host byte order).
template <typename T>
bool read_value(File& f, T& value) {
    return f.read_exact(std::as_writable_bytes(std::span<T, 1>(&value, 1)));
}

// True when path names an existing file that is not a directory.
bool file_exists(const std::string& path);
// True when both paths name one existing file (the same device and inode),
// whatever their spelling: "a", "./a", a hard link or a symbolic link to it.
bool same_file(const std::string& a, const std::string& b);
// What a path names, symbolic links followed.
enum class FileKind { absent, regular, other };
FileKind kind_of(const std::string& path);
// The path a chain of symbolic links ends at (the path itself when it is no
// link); each relative link is taken from the folder of the link.
std::string final_link_target(const std::string& path);
// True when the open descriptor is a terminal.
bool is_terminal(int descriptor);
// Removes a file; false when it could not be removed.
bool remove_file(const std::string& path);
// Renames a file, replacing the target atomically; false on failure.
bool rename_file(const std::string& from, const std::string& to);
// The directory part of a path including its final '/', or "" for a bare name.
std::string directory_of(const std::string& path);
// A handle on a folder that follows it wherever it is renamed or moved: a
// file made in it is found through the handle, not through a path that may
// no longer lead there. Move-only; closed when it ends.
class Folder {
public:
    // The folder a path names (an empty path: the current folder); empty
    // when it cannot be opened.
    static std::optional<Folder> open(const std::string& path);
    Folder(Folder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // For the *at calls; valid while the handle lives.
    int descriptor() const { return fd_; }

private:
    explicit Folder(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// A file just created, its name, and the folder it was created in.
struct CreatedFile {
    std::string name;          // the path it was created under: dir + name_in_folder
    std::string name_in_folder;
    File file;                 // open for writing
    Folder folder;             // the handle it was created through
};
// Creates a new empty file (mode 0666 less the umask) that did not exist
// before, named dir + prefix + <unique part> + suffix, through a handle on
// dir, and keeps it open for writing: writing through the descriptor that
// created it leaves no moment in which another file could take its place
// under its name. No existing file is followed or truncated. The unique
// part is the process id, '-' and 8 random letters or digits: a file left
// by a process that no longer runs can be told by its name.
std::optional<CreatedFile> create_unique_open_file(const std::string& dir, const std::string& prefix,
                                                   const std::string& suffix);
// Gives an existing file a second name in its folder, made as
// create_unique_file makes names: a hard link, or where the file system has
// none, the file itself moved there (the path is then absent). Renaming that
// name back onto the path restores the file either way. Empty on failure.
std::optional<std::string> keep_under_unique_name(const std::string& path, const std::string& prefix,
                                                  const std::string& suffix);
// A folder just created, its name, and the folder it was created in.
struct CreatedFolder {
    std::string name;  // dir + name_in_folder
    std::string name_in_folder;
    Folder parent;
};
// Creates a new empty folder (mode 0777 less the umask) named as
// create_unique_open_file names files, through a handle on dir. Empty on
// failure.
std::optional<CreatedFolder> create_unique_folder(const std::string& dir, const std::string& prefix);
// The same for a caller that only needs the name.
std::optional<std::string> create_unique_file(const std::string& dir, const std::string& prefix,
                                              const std::string& suffix);
// The length of the unique part of this process's names.
std::size_t unique_part_length();

}  // namespace gridlib::platform
