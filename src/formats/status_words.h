// A status and its English words, in the tables the drivers and the status
// routine keep.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace gridlib::formats {

// A phrase that a caller can set into a sentence of its own (see
// gridlib_status_text).
struct StatusWords {
    std::int32_t status = 0;
    std::string_view words;
};

// The words of status in the table; nothing when it has none.
std::optional<std::string> words_in(std::span<const StatusWords> table, std::int32_t status);

}  // namespace gridlib::formats
