// Text grids whose rows are written numbers (ESRI ASCII grids, plain GXF).
#pragma once

#include "rows/row_source.h"
#include "platform/text_units.h"

namespace gridlib::rows {

class TextRowSource final : public RowSource {
public:
    // unit is positioned at the first data line.
    explicit TextRowSource(platform::TextUnit unit) : unit_(std::move(unit)) {}
    // A row that ends with the file or holds a token that is not a number is
    // a failure of that row.
    Status read(std::int64_t k, std::span<float> values) override;
    bool sequential() const override { return true; }

private:
    platform::TextUnit unit_;
};

}  // namespace gridlib::rows
