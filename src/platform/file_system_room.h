// Room on a file system for a file about to be written whose size is known:
// a grid of a few kilobytes can declare terabytes of cells, and a run that
// found out only when the disk was full would have filled it for every
// other program meanwhile. Asked before the file is made, so that a refusal
// writes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::platform {

// How the file comes to be: an existing file of its name emptied and
// rewritten in place, whose blocks come free first; or a new file, written
// beside any old one, which keeps its blocks until the new one replaces it.
enum class Writing { in_place, beside };

struct RoomShortage {
    std::uint64_t needed = 0;
    std::uint64_t available = 0;
};

// Empty when the file system of path's folder has room for a file of
// `needed` bytes at path, or cannot tell (the writes then find out);
// otherwise the shortage, which last_room_shortage() then returns too.
// Also empty when path names something other than a regular file: no file
// is written there, and the writer's own refusal says so.
std::optional<RoomShortage> room_shortage(const std::string& path, std::uint64_t needed, Writing writing);
// The same for a new file in a folder ("": the current one).
std::optional<RoomShortage> room_shortage_in(const std::string& folder, std::uint64_t needed);

// The shortage found last on the calling thread; zeros before any.
RoomShortage last_room_shortage();

// The bytes of the file system holding a folder ("": the current one)
// that an ordinary user may fill, as df shows them available; empty when
// it cannot tell.
std::optional<std::uint64_t> available_bytes(const std::string& folder);

// For tests, which cannot fill a disk: replaces the query behind
// available_bytes (nullptr: the file system's own) and returns the one it
// replaces.
using AvailableBytesQuery = std::optional<std::uint64_t> (*)(const std::string& folder);
AvailableBytesQuery replace_available_bytes_query(AvailableBytesQuery query);

}  // namespace gridlib::platform
