// Small records read at scattered offsets of a file through a fixed number of
// cached pages: lookups that cluster in the file cost few system calls, and
// the memory used is the same whatever the size of the file.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace gridlib {

class PageCache {
public:
    // Reads file, of which the first file_size bytes are used. Allocates the
    // pages (kSets * kWays * kPageBytes bytes) once, without clearing them:
    // a call that needs few pages touches few.
    PageCache(platform::File& file, std::uint64_t file_size);

    // Copies the bytes at offset into out; false when they do not all lie
    // within the file size or could not be read.
    bool read(std::uint64_t offset, std::span<std::byte> out);

    static constexpr std::size_t kPageBytes = 4096;
    // Consecutive pages fall in consecutive sets; each set keeps its most
    // recently used pages, so rows that share a set do not evict each other.
    static constexpr std::size_t kSets = 64;
    static constexpr std::size_t kWays = 4;

private:
    // The cached copy of a page, read first if need be; null on a read failure.
    const std::byte* page(std::uint64_t index);

    platform::File& file_;
    std::uint64_t size_;
    std::unique_ptr<std::byte[]> pages_;
    std::vector<std::uint64_t> tags_;       // page index held by each slot
    std::vector<std::uint64_t> last_used_;  // 0: the slot is empty
    std::uint64_t clock_ = 0;
};

}  // namespace gridlib
