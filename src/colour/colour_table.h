// The colour table the image writers draw with, and the caller's user colour
// table the colour calculator may interpolate. Both cross the C interface as
// flat arrays stored column after column (all reds, then greens, then blues);
// these views hide that layout. Entries are numbered from 0 here: entry p is
// the colour of palette index p.
#pragma once

#include "gridlib.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace gridlib {

// Bins between the two colour limits, and therefore colour levels 1..kLevels.
inline constexpr std::size_t kLevels = GRIDLIB_LEVELS;
// Entries of a colour table; an 8-bit palette cannot hold more.
inline constexpr std::size_t kColourEntries = GRIDLIB_COLOURS;
inline constexpr std::size_t kColourTableValues = 3 * kColourEntries;
inline constexpr std::size_t kUserColourValues = 3 * kLevels;

// Colour components as fractions 0..1.
struct Rgb {
    float red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Colour components as table values 0..255.
struct Rgb8 {
    std::int32_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb8&) const = default;
};

// A view of a 256-entry colour table; Int is std::int32_t or const std::int32_t.
template <typename Int>
class BasicColourTableView {
public:
    explicit BasicColourTableView(std::span<Int, kColourTableValues> values) : values_(values) {}

    Rgb8 get(std::size_t entry) const {
        return {values_[entry], values_[kColourEntries + entry], values_[2 * kColourEntries + entry]};
    }
    void set(std::size_t entry, Rgb8 c) const
        requires(!std::is_const_v<Int>)
    {
        values_[entry] = c.red;
        values_[kColourEntries + entry] = c.green;
        values_[2 * kColourEntries + entry] = c.blue;
    }

private:
    std::span<Int, kColourTableValues> values_;
};

using ColourTableView = BasicColourTableView<std::int32_t>;
using ConstColourTableView = BasicColourTableView<const std::int32_t>;

// The caller's user colour table: up to kLevels colours with components 0..1
// (or 0..255 for the writer that indexes it directly), of which `count` are
// in use. The values may be absent (an empty span) when the scheme does not
// read them; entries outside the values read as black, so a short or missing
// table can never be read out of bounds.
struct UserColours {
    std::span<const float> values;
    std::int32_t count = 0;

    Rgb entry(std::size_t k) const {
        if (k >= kLevels || values.size() < kUserColourValues) return {};
        return {values[k], values[kLevels + k], values[2 * kLevels + k]};
    }
};

}  // namespace gridlib
