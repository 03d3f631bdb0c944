// Decoding compressed GXF values straight from the file's read buffer; a
// group cut by the end of a buffer is completed from the next one.
#include "formats/gxf/gxf_compressed.h"

#include "descriptor/grid_descriptor.h"
#include "rows/number_scanner.h"

#include <algorithm>

namespace gridlib::formats {
namespace {

constexpr int kDigitZero = '%';
constexpr int kBase = 90;

// A blank ends a line's characters; so does a TAB or any other control
// character, none of which is a digit.
bool ends_content(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The base-90 number of a group; negative when it holds characters below
// the digits, as the dummy does.
inline std::int64_t group_number(const char* g, int width) {
    std::int64_t v = 0;
    for (int k = 0; k < width; ++k) v = v * kBase + (static_cast<unsigned char>(g[k]) - kDigitZero);
    return v;
}

// Decodes groups of W characters from p on while they are plain values;
// stops before anything else (a blank, a line end, a repeat marker) or
// when the characters or the values run out.
template <int W>
std::size_t decode_groups(const char* p, std::size_t characters, std::span<float> values, std::size_t& used) {
    std::size_t i = 0, at = 0;
    for (; i < values.size() && at + W <= characters; ++i, at += W) {
        const char* g = p + at;
        if (g[0] == '"' || std::any_of(g, g + W, ends_content)) break;  // line ends among them
        const std::int64_t v = group_number(g, W);
        values[i] = v < 0 ? kNullValue : static_cast<float>(v);
    }
    used = at;
    return i;
}

}  // namespace

bool CompressedGxfValues::next_group(Group& group) {
    platform::File& f = unit_.file();
    for (;;) {
        const std::span<const char> buf = f.buffered();
        if (buf.empty()) return false;
        if (!in_line_) {
            in_line_ = true;
            past_content_ = buf[0] == '$';  // a comment line
        }
        std::size_t i = 0;
        for (; i < buf.size() && !rows::is_line_end(buf[i]); ++i) {
            if (past_content_) continue;
            if (ends_content(buf[i])) {
                if (partial_size_ > 0) return false;
                past_content_ = true;
                continue;
            }
            partial_[static_cast<std::size_t>(partial_size_++)] = buf[i];
            if (partial_size_ < width_) continue;
            f.consume(i + 1);
            partial_size_ = 0;
            group.number = group_number(partial_.data(), width_);
            group.repeat_marker =
                std::all_of(partial_.begin(), partial_.begin() + width_, [](char c) { return c == '"'; });
            return true;
        }
        if (i == buf.size()) {  // the line goes on in the next buffer
            f.consume(i);
            continue;
        }
        if (partial_size_ > 0) return false;
        const char end = buf[i];
        f.consume(i + 1);
        if (end == '\r' && f.peek_byte() == '\n') f.consume(1);  // CR LF ends one line
        in_line_ = false;
    }
}

std::size_t CompressedGxfValues::decode_plain_values(std::span<float> values) {
    if (!in_line_ || past_content_ || partial_size_ != 0 || count_pending_ || count_ != 1 || repeats_left_ > 0) {
        return 0;
    }
    platform::File& f = unit_.file();
    const std::span<const char> buf = f.buffered();
    std::size_t used = 0, decoded = 0;
    switch (width_) {
        case 1: decoded = decode_groups<1>(buf.data(), buf.size(), values, used); break;
        case 2: decoded = decode_groups<2>(buf.data(), buf.size(), values, used); break;
        case 3: decoded = decode_groups<3>(buf.data(), buf.size(), values, used); break;
        default: decoded = decode_groups<4>(buf.data(), buf.size(), values, used); break;
    }
    f.consume(used);
    return decoded;
}

bool CompressedGxfValues::read_values(std::span<float> values) {
    std::size_t i = 0;
    while (i < values.size()) {
        i += decode_plain_values(values.subspan(i));
        if (i == values.size()) break;
        if (repeats_left_ > 0) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(repeats_left_),
                                                                            values.size() - i));
            std::fill_n(values.begin() + static_cast<std::ptrdiff_t>(i), n, repeated_);
            i += n;
            repeats_left_ -= static_cast<std::int64_t>(n);
            continue;
        }
        Group g;
        if (!next_group(g)) return false;
        take(g);
    }
    return true;
}

bool CompressedGxfValues::skip_values(std::uint64_t count) {
    while (count > 0) {
        if (repeats_left_ > 0) {
            const auto n = std::min(static_cast<std::uint64_t>(repeats_left_), count);
            repeats_left_ -= static_cast<std::int64_t>(n);
            count -= n;
            continue;
        }
        Group g;
        if (!next_group(g)) return false;
        take(g);
    }
    return true;
}

void CompressedGxfValues::take(const Group& g) {
    if (g.repeat_marker) {
        count_pending_ = true;
    } else if (count_pending_) {
        count_ = g.number;
        count_pending_ = false;
    } else {
        // The dummy, all exclamation marks, is negative like any group
        // holding characters below the digits: all of them are null.
        repeated_ = g.number < 0 ? kNullValue : static_cast<float>(g.number);
        repeats_left_ = std::max<std::int64_t>(count_, 0);  // a count of 0 or less stores nothing
        count_ = 1;
    }
}

void CompressedGxfValues::end_vector() {
    repeats_left_ = 0;
    count_ = 1;
    count_pending_ = false;
    partial_size_ = 0;
    if (in_line_) rows::skip_line(unit_.file());
    in_line_ = false;
}

std::uint64_t CompressedGxfValues::fewest_bytes(std::uint64_t count) const {
    // A repeat marker, a count and a value store the most values for their
    // characters: as many as the largest count a group can hold (every
    // character the byte 255, since characters are not checked).
    std::uint64_t largest_count = 0;
    for (int k = 0; k < width_; ++k) largest_count = largest_count * kBase + (255 - kDigitZero);
    const std::uint64_t triples = (count + largest_count - 1) / largest_count;
    return triples * 3 * static_cast<std::uint64_t>(width_);
}

}  // namespace gridlib::formats
