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

std::optional<GridPlacement> descriptor_placement(const DescriptorView& d) {
    const auto point = cell_point_of(d.format());
    if (!point || d.columns() <= 0 || d.rows() <= 0) return std::nullopt;
    GridPlacement p;
    p.column_width = d.column_spacing();
    p.row_height = d.row_spacing();
    // The descriptor names the west x and south y of a cell's point; the
    // north edge lies rows - 1 cells above the southern row's point.
    double west_of_point = 0, south_of_point = 0;
    switch (*point) {
    case CellPoint::centre: west_of_point = 0.5, south_of_point = 0.5; break;
    case CellPoint::lower_left_corner: west_of_point = 0.0, south_of_point = 0.0; break;
    case CellPoint::upper_left_corner: west_of_point = 0.0, south_of_point = 1.0; break;
    }
    p.west = double(d.west_x()) - west_of_point * p.column_width;
    p.north = double(d.south_y()) - south_of_point * p.row_height + double(d.rows()) * p.row_height;
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
