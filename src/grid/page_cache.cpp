// A set-associative cache of file pages with least-recently-used eviction.
#include "grid/page_cache.h"

#include <algorithm>
#include <cstring>

namespace gridlib {

PageCache::PageCache(platform::File& file, std::uint64_t file_size)
    : file_(file), size_(file_size),
      pages_(std::make_unique_for_overwrite<std::byte[]>(kSets * kWays * kPageBytes)), tags_(kSets * kWays),
      last_used_(kSets * kWays, 0) {}

const std::byte* PageCache::page(std::uint64_t index) {
    const std::size_t first = static_cast<std::size_t>(index % kSets) * kWays;
    std::size_t slot = first;
    for (std::size_t s = first; s < first + kWays; ++s) {
        if (last_used_[s] != 0 && tags_[s] == index) {
            last_used_[s] = ++clock_;
            return pages_.get() + s * kPageBytes;
        }
        if (last_used_[s] < last_used_[slot]) slot = s;
    }
    const std::uint64_t start = index * kPageBytes;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kPageBytes, size_ - start));
    std::byte* data = pages_.get() + slot * kPageBytes;
    if (file_.read_at(start, {data, length}) != length) {
        last_used_[slot] = 0;
        return nullptr;
    }
    tags_[slot] = index;
    last_used_[slot] = ++clock_;
    return data;
}

bool PageCache::read(std::uint64_t offset, std::span<std::byte> out) {
    if (offset > size_ || out.size() > size_ - offset) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const std::byte* data = page(at / kPageBytes);
        if (!data) return false;
        const std::size_t within = static_cast<std::size_t>(at % kPageBytes);
        const std::size_t n = std::min(kPageBytes - within, out.size() - done);
        std::memcpy(out.data() + done, data + within, n);
        done += n;
    }
    return true;
}

}  // namespace gridlib
