// The rows of a "$$GRID$$" grid. Every value is written in 1 to 3
// characters, each a base-64 digit from ":" (0) to "y" (63), and scaled
// between the grid's data minimum and maximum; "z", "zz" or "zzz" marks a
// null cell. Only a line's first 124 columns count. Fixed-width lines hold
// 124 / n values each; run-length lines hold values and "~c" markers that
// repeat the value before them (c - 31) times.
#pragma once

#include "rows/row_source.h"
#include "platform/text_units.h"

#include <array>
#include <cstdint>

namespace gridlib::formats {

struct CharacterCode {
    int width = 1;  // characters per value, 1 to 3
    // A code v stands for (maximum - minimum) * v / divisor + minimum.
    float minimum = 0;
    float maximum = 0;
    float divisor = 1;
};

class GridTextRows final : public rows::RowSource {
public:
    static constexpr std::size_t kColumnsUsed = 124;
    static bool width_supported(std::int64_t width) { return width >= 1 && width <= 3; }
    // A lower bound of the bytes `count` values take.
    static std::uint64_t fewest_bytes(std::uint64_t count, int width, bool fixed_width);

    // unit is positioned at the first data line; the code's width is supported.
    GridTextRows(platform::TextUnit unit, CharacterCode code, bool fixed_width)
        : unit_(std::move(unit)), code_(code), fixed_width_(fixed_width) {}
    // Fails the row when the file ends within it, when a fixed-width line is
    // too short for its values, when a line's characters end inside a value
    // or when a "~" has fewer than n characters before it on its line.
    rows::Status read(std::int64_t k, std::span<float> values) override;
    bool sequential() const override { return true; }

private:
    // The first columns of the next line (blank-filled); false at the end of the file.
    bool next_line(std::size_t& length);
    bool read_fixed_width(std::span<float> values);
    bool read_run_length(std::span<float> values);
    float value_of(const char* characters) const;

    platform::TextUnit unit_;
    CharacterCode code_;
    bool fixed_width_;
    std::array<char, kColumnsUsed> line_{};
};

}  // namespace gridlib::formats
