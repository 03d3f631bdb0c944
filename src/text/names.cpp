// File names held in fixed-length texts, and numbered text files.
#include "platform/text_units.h"
#include "text/fields.h"

namespace gridlib::text {

std::string name_from_fixed_text(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) return std::string(text.substr(0, nul));
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

int FREEFILE() { return platform::lowest_free_unit(); }

}  // namespace gridlib::text
