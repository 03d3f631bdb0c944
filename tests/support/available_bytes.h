// The free space the library sees, set by a test for as long as it lives:
// a disk without room is made up, never filled.
#pragma once

#include "platform/file_system_room.h"

#include <cstdint>
#include <optional>
#include <string>

namespace gridlib::testing {

class ScopedAvailableBytes {
public:
    // Every file system has `bytes` available; nullopt: none can tell.
    explicit ScopedAvailableBytes(std::optional<std::uint64_t> bytes);
    ~ScopedAvailableBytes();
    ScopedAvailableBytes(const ScopedAvailableBytes&) = delete;
    ScopedAvailableBytes& operator=(const ScopedAvailableBytes&) = delete;

private:
    platform::AvailableBytesQuery replaced_;
};

}  // namespace gridlib::testing
