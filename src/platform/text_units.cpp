#include "platform/text_units.h"

#include <mutex>
#include <set>

namespace gridlib::platform {
namespace {

// Conversions on several threads open text files at once: the numbers in
// use are one table for the process, changed under its lock.
std::mutex g_units_mutex;

std::set<int>& units_in_use() {
    static std::set<int> in_use;
    return in_use;
}

int lowest_free_unit_locked() {
    int n = 100;
    for (int used : units_in_use()) {
        if (used > n) break;
        if (used == n) ++n;
    }
    return n;
}

}  // namespace

int lowest_free_unit() {
    const std::lock_guard lock(g_units_mutex);
    return lowest_free_unit_locked();
}

std::optional<TextUnit> TextUnit::open(const std::string& path) {
    auto file = File::open_read(path);
    if (!file) return std::nullopt;
    const std::lock_guard lock(g_units_mutex);
    const int number = lowest_free_unit_locked();
    units_in_use().insert(number);
    return TextUnit(number, std::move(*file));
}

TextUnit::TextUnit(TextUnit&& other) noexcept : number_(other.number_), file_(std::move(other.file_)) {
    other.number_ = -1;
}

TextUnit::~TextUnit() {
    if (number_ < 0) return;
    const std::lock_guard lock(g_units_mutex);
    units_in_use().erase(number_);
}

}  // namespace gridlib::platform
