// Recognising a grid format by its file name's extension or by the first
// bytes of the file, before any header is read.
#pragma once

#include "descriptor/grid_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace gridlib::headers {

// The content tests look at exactly this many bytes; a shorter file cannot be
// recognised by content.
inline constexpr std::size_t kFirstBytesSize = 120;

// The format a name's last four characters name, in their exact spellings
// only (".asc" and ".ASC", never ".Asc"). Names of four characters or fewer
// have no extension.
std::optional<FormatCode> format_by_extension(std::string_view name);

// The format the first bytes show, or 0 when no test holds. The tests of the
// binary layouts also write the descriptor: the record-framed variant of
// format 2 sets the band-count entry to 1 (its variant flag) and the byte
// order to 1, the 512-byte header variant sets the flag to 0; once those tests
// are reached, the column and row entries hold the header's element-size byte
// and byte-order word, and a binary test that succeeds clears them to 0.
std::int32_t format_by_content(std::span<const std::byte, kFirstBytesSize> first, DescriptorView& d);

}  // namespace gridlib::headers
