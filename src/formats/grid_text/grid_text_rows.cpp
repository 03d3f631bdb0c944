// Decoding "$$GRID$$" rows line by line.
#include "formats/grid_text/grid_text_rows.h"

#include "descriptor/grid_descriptor.h"
#include "rows/number_scanner.h"

#include <algorithm>

namespace gridlib::formats {
namespace {

constexpr int kDigitZero = ':';
constexpr int kRepeatBias = 31;  // "~c" repeats (code of c) - 31 times
// The most values a run-length line can give: every column pair a "~c"
// repeating the largest count a byte can state.
constexpr std::uint64_t kMostValuesPerLine = GridTextRows::kColumnsUsed / 2 * (255 - kRepeatBias);

}  // namespace

std::uint64_t GridTextRows::fewest_bytes(std::uint64_t count, int width, bool fixed_width) {
    if (fixed_width) return count * static_cast<std::uint64_t>(width);
    return (count + kMostValuesPerLine - 1) / kMostValuesPerLine;  // a line end each, at least
}

bool GridTextRows::next_line(std::size_t& length) {
    // The columns beyond those used are passed over, however many.
    const auto read = rows::read_line_start(unit_.file(), line_);
    length = read.value_or(0);
    return read.has_value();
}

float GridTextRows::value_of(const char* c) const {
    if (std::all_of(c, c + code_.width, [](char x) { return x == 'z'; })) return kNullValue;
    std::int32_t v = 0;
    for (int k = 0; k < code_.width; ++k) v = v * 64 + (static_cast<unsigned char>(c[k]) - kDigitZero);
    const float range = code_.maximum - code_.minimum;
    return range * static_cast<float>(v) / code_.divisor + code_.minimum;
}

bool GridTextRows::read_fixed_width(std::span<float> values) {
    const auto width = static_cast<std::size_t>(code_.width);
    const std::size_t per_line = kColumnsUsed / width;
    for (std::size_t k = 0; k < values.size();) {
        const std::size_t count = std::min(per_line, values.size() - k);
        std::size_t length = 0;
        // A short line lacks values: taking blanks for them would give
        // numbers below the data minimum.
        if (!next_line(length) || length < count * width) return false;
        for (std::size_t i = 0; i < count; ++i) values[k + i] = value_of(line_.data() + i * width);
        k += count;
    }
    return true;
}

bool GridTextRows::read_run_length(std::span<float> values) {
    const auto width = static_cast<std::size_t>(code_.width);
    std::size_t k = 0;
    while (k < values.size()) {
        std::size_t length = 0;
        if (!next_line(length)) return false;
        while (length > 0 && line_[length - 1] == ' ') --length;
        for (std::size_t j = 0; j < length && k < values.size();) {
            if (line_[j] == '~') {
                if (j < width) return false;  // no value before the marker to repeat
                // A count character beyond the line's last one is a trailing blank.
                const int c = j + 1 < length ? static_cast<unsigned char>(line_[j + 1]) : ' ';
                const auto repeats = static_cast<std::size_t>(std::max(c - kRepeatBias, 0));
                const std::size_t n = std::min(repeats, values.size() - k);
                std::fill_n(values.begin() + static_cast<std::ptrdiff_t>(k), n, value_of(line_.data() + j - width));
                k += n;
                j += 2;
            } else {
                if (j + width > length) return false;  // a value cut by the line's end
                values[k++] = value_of(line_.data() + j);
                j += width;
            }
        }
    }
    return true;
}

rows::Status GridTextRows::read(std::int64_t k, std::span<float> values) {
    const bool ok = fixed_width_ ? read_fixed_width(values) : read_run_length(values);
    return ok ? 0 : rows::row_status(k);
}

}  // namespace gridlib::formats
