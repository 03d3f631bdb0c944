// C entry points of the sizes behind GRIDLIB_NO_ROOM and behind an image's
// GRIDLIB_IMAGE_TOO_LARGE, for a caller's message.
#include "gridlib.h"

#include "image/block_memory.h"
#include "platform/file_system_room.h"

#include <limits>

namespace {

std::int64_t as_int64(std::uint64_t bytes) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(bytes > kMax ? kMax : bytes);
}

}  // namespace

extern "C" void gridlib_room_shortage(int64_t* needed, int64_t* available) noexcept {
    const auto shortage = gridlib::platform::last_room_shortage();
    if (needed) *needed = as_int64(shortage.needed);
    if (available) *available = as_int64(shortage.available);
}

extern "C" void gridlib_memory_shortage(int64_t* needed, int64_t* available) noexcept {
    const auto shortage = gridlib::image::last_memory_shortage();
    if (needed) *needed = as_int64(shortage.needed);
    if (available) *available = as_int64(shortage.available);
}
