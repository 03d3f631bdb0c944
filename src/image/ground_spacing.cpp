// Degrees to metres for the slopes of a grid in longitude and latitude.
#include "image/ground_spacing.h"

#include <cmath>
#include <numbers>

namespace gridlib {

std::optional<GroundSpacing> ground_spacing(const DescriptorView& d) {
    const double south = d.south_y(), north = d.north_y();
    const double column = d.column_spacing(), row = d.row_spacing();
    const auto latitude = [](double y) { return std::isfinite(y) && std::fabs(y) <= 90.0; };
    if (!latitude(south) || !latitude(north) || !(column > 0) || !(row > 0) || !std::isfinite(column) ||
        !std::isfinite(row))
        return std::nullopt;
    const double middle = (south + north) / 2;
    return GroundSpacing{column * kMetresPerDegree * std::cos(middle * std::numbers::pi / 180.0),
                         row * kMetresPerDegree, middle};
}

}  // namespace gridlib
