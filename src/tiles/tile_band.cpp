// The bands of the pyramid's levels.
#include "tiles/tile_band.h"

#include "tiles/level_reduction.h"

namespace gridlib::tiles {

BandChain::BandChain(const PyramidPlan& plan) {
    bands_.resize(static_cast<std::size_t>(plan.levels()));
    for (int z = 0; z < plan.levels(); ++z) {
        Band& band = bands_[static_cast<std::size_t>(z)];
        band.z = z;
        band.size = plan.level(z);
        band.values = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(kTileSide * band.size.columns));
    }
}

std::vector<Band*> BandChain::cascade() {
    std::vector<Band*> done;
    for (auto z = bands_.size(); z-- > 0;) {
        Band& band = bands_[z];
        if (!band.complete()) break;
        done.push_back(&band);
        if (z == 0) break;
        // A full band has an even row count, so its row pairs never span two bands.
        Band& coarser = bands_[z - 1];
        const std::int64_t rows = (band.rows + 1) / 2;
        reduce_band(band.filled(), band.rows, band.size.columns,
                    {coarser.row(coarser.rows).data(), static_cast<std::size_t>(rows * coarser.size.columns)});
        coarser.rows += rows;
    }
    return done;
}

void BandChain::advance(const std::vector<Band*>& done) {
    for (Band* band : done) {
        band->rows = 0;
        ++band->tile_row;
    }
}

}  // namespace gridlib::tiles
