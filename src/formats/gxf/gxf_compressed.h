// The values of a compressed GXF grid. Each value is a base-90 number of a
// fixed number of characters (1 to 4), "%" being the digit 0 and "~" the
// digit 89. A group of exclamation marks is the dummy (null) value; a group
// of double quotes says that the next group is a repeat count for the value
// after it. Only the characters before a line's first blank count, and
// lines that begin with "$" are comments.
#pragma once

#include "rows/text_rows.h"

#include <array>
#include <cstdint>

namespace gridlib::formats {

class CompressedGxfValues final : public rows::TextVectors {
public:
    static bool width_supported(std::int64_t width) { return width >= 1 && width <= 4; }

    // unit is positioned at the first data line; width is supported.
    CompressedGxfValues(platform::TextUnit unit, int width) : unit_(std::move(unit)), width_(width) {}
    // Also false when a line's characters end inside a group while values
    // are still wanted: the group is cut, and every later value would shift.
    bool read_values(std::span<float> values) override;
    // Passes over `count` values of the current vector without storing
    // them; false as read_values. A vector may code far more values than
    // its characters (a repeat of 160 million values takes 12), so the
    // bytes left in the file cannot tell whether it is whole: this can,
    // before anything of the vector's size is allocated.
    bool skip_values(std::uint64_t count);
    // A repeat that runs beyond the vector's end is cut there.
    void end_vector() override;
    std::uint64_t fewest_bytes(std::uint64_t count) const override;
    platform::File& file() override { return unit_.file(); }

private:
    struct Group {
        std::int64_t number = 0;  // negative when it holds characters below "%"
        bool repeat_marker = false;
    };
    // The next whole group of the current or a later line; false at the end
    // of the file or when a group is cut.
    bool next_group(Group& group);
    // Plain values (no marker, no count pending) that lie whole in the read
    // buffer within the current line's characters, decoded straight from
    // it; how many. The bulk of a grid takes this path.
    std::size_t decode_plain_values(std::span<float> values);
    // Takes a group into the decoding: a marker, a count or a value to store.
    void take(const Group& group);

    platform::TextUnit unit_;
    int width_;
    // Where the scan is: at a line's start, in its characters, or past them.
    bool in_line_ = false;
    bool past_content_ = false;
    std::array<char, 4> partial_{};
    int partial_size_ = 0;
    // The decoding, carried over from one piece of a vector to the next.
    bool count_pending_ = false;   // the group read last was a repeat marker
    std::int64_t count_ = 1;       // times the next value is stored
    float repeated_ = 0;           // a value still to be stored...
    std::int64_t repeats_left_ = 0;  // ...this many more times
};

}  // namespace gridlib::formats
