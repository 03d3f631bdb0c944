// Looking a status up in a table of words.
#include "formats/status_words.h"

#include <algorithm>

namespace gridlib::formats {

std::optional<std::string> words_in(std::span<const StatusWords> table, std::int32_t status) {
    const auto hit = std::ranges::find(table, status, &StatusWords::status);
    if (hit == table.end()) return std::nullopt;
    return std::string(hit->words);
}

}  // namespace gridlib::formats
