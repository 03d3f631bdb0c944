#include "platform/text_units.h"

#include <set>

namespace gridlib::platform {
namespace {
std::set<int>& units_in_use() {
    static std::set<int> in_use;
    return in_use;
}
}  // namespace

int lowest_free_unit() {
    int n = 100;
    for (int used : units_in_use()) {
        if (used > n) break;
        if (used == n) ++n;
    }
    return n;
}

std::optional<TextUnit> TextUnit::open(const std::string& path) {
    auto file = File::open_read(path);
    if (!file) return std::nullopt;
    const int number = lowest_free_unit();
    units_in_use().insert(number);
    return TextUnit(number, std::move(*file));
}

TextUnit::TextUnit(TextUnit&& other) noexcept : number_(other.number_), file_(std::move(other.file_)) {
    other.number_ = -1;
}

TextUnit::~TextUnit() {
    if (number_ >= 0) units_in_use().erase(number_);
}

}  // namespace gridlib::platform
