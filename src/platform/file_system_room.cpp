// Free space through statvfs; the space a file takes through its blocks.
#include "platform/file_system_room.h"

#include "platform/file.h"

#include <atomic>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace gridlib::platform {
namespace {

std::optional<std::uint64_t> statvfs_available(const std::string& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return std::nullopt;
    // f_bavail, not f_bfree: blocks kept for the superuser are not counted on.
    const unsigned __int128 bytes = static_cast<unsigned __int128>(fs.f_bavail) * fs.f_frsize;
    return bytes > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(bytes);
}

std::atomic<AvailableBytesQuery> g_query{nullptr};
thread_local RoomShortage g_last_shortage;

std::optional<RoomShortage> shortage(const std::string& folder, std::uint64_t needed, std::uint64_t freed) {
    const auto unused = available_bytes(folder);
    if (!unused) return std::nullopt;
    const std::uint64_t available = *unused > UINT64_MAX - freed ? UINT64_MAX : *unused + freed;
    if (needed <= available) return std::nullopt;
    g_last_shortage = {needed, available};
    return g_last_shortage;
}

}  // namespace

std::optional<std::uint64_t> available_bytes(const std::string& folder) {
    const AvailableBytesQuery query = g_query.load();
    return query ? query(folder) : statvfs_available(folder);
}

AvailableBytesQuery replace_available_bytes_query(AvailableBytesQuery query) { return g_query.exchange(query); }

std::optional<RoomShortage> room_shortage(const std::string& path, std::uint64_t needed, Writing writing) {
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return std::nullopt;
    // The blocks an existing file takes come free when it is emptied.
    const bool emptied = exists && writing == Writing::in_place && st.st_blocks > 0;
    return shortage(directory_of(path), needed, emptied ? static_cast<std::uint64_t>(st.st_blocks) * 512u : 0);
}

std::optional<RoomShortage> room_shortage_in(const std::string& folder, std::uint64_t needed) {
    return shortage(folder, needed, 0);
}

RoomShortage last_room_shortage() { return g_last_shortage; }

}  // namespace gridlib::platform
