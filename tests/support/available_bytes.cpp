#include "support/available_bytes.h"

namespace gridlib::testing {
namespace {

std::optional<std::uint64_t> g_bytes;

std::optional<std::uint64_t> made_up(const std::string&) { return g_bytes; }

}  // namespace

ScopedAvailableBytes::ScopedAvailableBytes(std::optional<std::uint64_t> bytes)
    : replaced_(platform::replace_available_bytes_query(made_up)) {
    g_bytes = bytes;
}

ScopedAvailableBytes::~ScopedAvailableBytes() { platform::replace_available_bytes_query(replaced_); }

}  // namespace gridlib::testing
