// Text grids, read in file order: their stored vectors (rows, or the columns
// of a grid stored by columns) are written numbers (ESRI ASCII grids, plain
// GXF) or values coded in characters (compressed GXF).
#pragma once

#include "rows/number_text.h"
#include "rows/row_source.h"
#include "platform/text_units.h"

#include <cstdint>
#include <memory>
#include <span>

namespace gridlib::rows {

// The values of a text grid's stored vectors, one after another. A vector
// starts on a new line and may be read in pieces.
class TextVectors {
public:
    virtual ~TextVectors() = default;
    // Continues the current vector with values.size() more values; false
    // when the file ends first or holds something that is not a value.
    virtual bool read_values(std::span<float> values) = 0;
    // Ends the current vector: the rest of its last line is ignored.
    virtual void end_vector() = 0;
    // The fewest bytes that can hold `count` values, the separators between
    // them included: a file shorter than a grid's first vector is refused by
    // this before anything of the vector's size is allocated.
    virtual std::uint64_t fewest_bytes(std::uint64_t count) const = 0;
    // The file, positioned at the next value.
    virtual platform::File& file() = 0;
    // Not null when the values can be read in pieces (see number_text.h).
    virtual NumberText* number_text() { return nullptr; }
};

// Written numbers separated by blanks, tabs, commas or line ends.
class WrittenNumbers final : public TextVectors {
public:
    // unit is positioned at the first data line.
    explicit WrittenNumbers(platform::TextUnit unit)
        : unit_(std::move(unit)), pieces_(unit_.file()), vectors_(pieces_) {}
    bool read_values(std::span<float> values) override;
    void end_vector() override;
    // Every value takes at least one character and a separator after it
    // (the last one aside).
    std::uint64_t fewest_bytes(std::uint64_t count) const override { return count == 0 ? 0 : 2 * count - 1; }
    platform::File& file() override { return unit_.file(); }
    NumberText* number_text() override { return &pieces_; }

private:
    platform::TextUnit unit_;
    NumberText pieces_;
    NumberVectors vectors_;  // reading through pieces_, unless they are taken whole
};

// Stored rows of a text grid, one vector each.
class TextRowSource final : public RowSource {
public:
    explicit TextRowSource(std::unique_ptr<TextVectors> vectors) : vectors_(std::move(vectors)) {}
    // A row that ends with the file or holds something that is not a value
    // is a failure of that row.
    Status read(std::int64_t k, std::span<float> values) override;
    bool sequential() const override { return true; }
    NumberText* number_text() override { return vectors_->number_text(); }

private:
    std::unique_ptr<TextVectors> vectors_;
};

}  // namespace gridlib::rows
