// A grid's placement from its driver or from its descriptor.
#include "formats/grid_placement.h"

#include "formats/driver.h"

#include <cmath>

namespace gridlib::formats {
namespace {

bool is_usable(const GridPlacement& p) {
    return std::isfinite(p.west) && std::isfinite(p.north) && std::isfinite(p.column_width) &&
           std::isfinite(p.row_height) && p.column_width != 0.0 && p.row_height != 0.0;
}

}  // namespace

GridPlacement placement_from_point(CellPoint point, double west_x, double south_y, double column_width,
                                   double row_height, std::int32_t rows) {
    // The north edge lies rows - 1 cells above the southern row's point.
    double west_of_point = 0, south_of_point = 0;
    switch (point) {
    case CellPoint::centre: west_of_point = 0.5, south_of_point = 0.5; break;
    case CellPoint::lower_left_corner: west_of_point = 0.0, south_of_point = 0.0; break;
    case CellPoint::upper_left_corner: west_of_point = 0.0, south_of_point = 1.0; break;
    }
    GridPlacement p;
    p.column_width = column_width;
    p.row_height = row_height;
    p.west = west_x - west_of_point * column_width;
    p.north = south_y - south_of_point * row_height + double(rows) * row_height;
    return p;
}

std::optional<GridPlacement> descriptor_placement(const DescriptorView& d) {
    const auto point = cell_point_of(d.format());
    if (!point || d.columns() <= 0 || d.rows() <= 0) return std::nullopt;
    const GridPlacement p =
        placement_from_point(*point, d.west_x(), d.south_y(), d.column_spacing(), d.row_spacing(), d.rows());
    if (!is_usable(p)) return std::nullopt;
    return p;
}

std::optional<GridPlacement> grid_placement(const std::string& grid_name, const DescriptorView& d) {
    const Driver* driver = driver_for(d.format());
    if (!driver || d.columns() <= 0 || d.rows() <= 0) return std::nullopt;
    if (driver->read_placement) {
        if (auto own = driver->read_placement(grid_name, d); own && is_usable(*own)) return own;
    }
    return descriptor_placement(d);
}

}  // namespace gridlib::formats
