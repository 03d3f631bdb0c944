// The shape of a tile pyramid.
#include "tiles/pyramid_plan.h"

#include <algorithm>

namespace gridlib::tiles {

PyramidPlan::PyramidPlan(std::int64_t columns, std::int64_t rows) : columns_(columns), rows_(rows) {
    const std::int64_t longer = std::max(columns, rows);
    while ((kTileSide << finest_) < longer) ++finest_;
}

LevelSize PyramidPlan::level(int z) const {
    const int halvings = finest_ - z;
    const std::int64_t block = std::int64_t{1} << halvings;
    return {(columns_ + block - 1) >> halvings, (rows_ + block - 1) >> halvings};
}

std::int64_t PyramidPlan::tile_count() const {
    std::int64_t count = 0;
    for (int z = 0; z <= finest_; ++z) count += level(z).tile_columns() * level(z).tile_rows();
    return count;
}

}  // namespace gridlib::tiles
