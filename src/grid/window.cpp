// Window tests and cell coordinates.
#include "grid/window.h"

namespace gridlib::grid {

bool window_overlaps(const DescriptorView& d, const GridWindow& w) {
    return !(w.north_y <= d.south_y() || w.south_y >= d.north_y() || w.west_x >= d.east_x() ||
             w.east_x <= d.west_x());
}

float coordinate_of(float origin, float spacing, std::int32_t i) {
    return DescriptorView::to_float(static_cast<double>(origin) + static_cast<double>(i - 1) * spacing);
}

}  // namespace gridlib::grid
