// netCDF grids, read through libnetcdf: GMT's grids (COARDS, ".grd" or
// ".nc"), CF grids in longitude and latitude, classic and netCDF-4 files.
// The coordinates are the cell centres the coordinate variables state, as
// GDAL reads them: GMT's pixel-registered grids (node_offset 1) store the
// centres of their cells there, its gridline-registered ones their nodes.
// A variable of more than two dimensions is read at the first index of
// those before its rows and columns (the first time step, say), as GDAL
// reads its first band.
#include "formats/netcdf/netcdf_grid.h"

#include "formats/grid_selection.h"
#include "rows/row_source.h"

#include "formats/netcdf/netcdf_library.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace gridlib::formats {
namespace {

using netcdf::Axis;
using netcdf::Grid;

StorageOrder storage_order(const Grid& grid) {
    const bool east_first = grid.x.descending();
    if (grid.y.descending()) return east_first ? StorageOrder::rows_from_north_east : StorageOrder::rows_from_north_west;
    return east_first ? StorageOrder::rows_from_south_east : StorageOrder::rows_from_south_west;
}

float lowest(const Axis& a) { return DescriptorView::to_float(std::min(a.first, a.last)); }
float spacing(const Axis& a) { return DescriptorView::to_float(std::fabs(a.spacing())); }

Status read_named_header(const std::string& grid_name, DescriptorView& d) {
    netcdf::File file;
    Grid grid;
    if (const Status s = netcdf::open_grid(grid_name, file, grid); s != GRIDLIB_OK) return s;
    d.band_count() = 1;
    d.selected_band() = 1;
    d.data_offset() = 0;
    d.value_type() = static_cast<std::int32_t>(grid.doubles ? ElementSize::real64 : ElementSize::real32);
    d.set_storage_order(storage_order(grid));
    d.set_byte_order(ByteOrder::least_significant_first);
    d.columns() = grid.x.count;
    d.rows() = grid.y.count;
    d.west_x() = lowest(grid.x);
    d.south_y() = lowest(grid.y);
    d.column_spacing() = spacing(grid.x);
    d.row_spacing() = spacing(grid.y);
    d.derive_east_from_columns();
    d.derive_north_from_rows();
    // The row source hands over values scaled, and null cells as the working grid's null.
    d.null_value() = kNullValue;
    if (grid.minimum && grid.maximum) {
        d.data_min() = DescriptorView::to_float(*grid.minimum);
        d.data_max() = DescriptorView::to_float(*grid.maximum);
    }
    return GRIDLIB_OK;
}

std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView&) {
    netcdf::File file;
    Grid grid;
    if (netcdf::open_grid(grid_name, file, grid) != GRIDLIB_OK) return std::nullopt;
    const double dx = std::fabs(grid.x.spacing()), dy = std::fabs(grid.y.spacing());
    if (!(dx > 0) || !(dy > 0)) return std::nullopt;
    return GridPlacement{std::min(grid.x.first, grid.x.last) - dx / 2, std::max(grid.y.first, grid.y.last) + dy / 2,
                         dx, dy};
}

bool in_longitude_latitude(const std::string& grid_name, const DescriptorView&) {
    netcdf::File file;
    Grid grid;
    return netcdf::open_grid(grid_name, file, grid) == GRIDLIB_OK && grid.geographic;
}

// One stored row per read, as doubles, so that scaling and the fill test
// see the stored numbers whole; memory is that of a row.
class NetcdfRows final : public rows::RowSource {
public:
    NetcdfRows(netcdf::File file, const Grid& grid)
        : file_(std::move(file)), grid_(grid), start_(static_cast<std::size_t>(grid.dimensions), 0),
          count_(static_cast<std::size_t>(grid.dimensions), 1),
          stored_(static_cast<std::size_t>(grid.x.count)) {
        count_.back() = stored_.size();
    }

    Status read(std::int64_t k, std::span<float> values) override {
        if (k < 1 || k > grid_.y.count || values.size() != stored_.size()) return rows::row_status(k);
        start_[start_.size() - 2] = static_cast<std::size_t>(k - 1);
        {
            const auto lock = netcdf::library_lock();
            if (netcdf::nc().nc_get_vara_double(file_.id(), grid_.variable, start_.data(), count_.data(), stored_.data()) !=
                NC_NOERR)
                return rows::row_status(k);
        }
        std::ranges::transform(stored_, values.begin(), [this](double v) { return grid_.value_of(v); });
        return 0;
    }

private:
    netcdf::File file_;
    Grid grid_;
    std::vector<std::size_t> start_, count_;
    std::vector<double> stored_;
};

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    netcdf::File file;
    Grid grid;
    if (const Status s = netcdf::open_grid(request.grid_name, file, grid); s != GRIDLIB_OK) return s;
    // A caller's descriptor may claim another size than the file's grid.
    if (request.d.columns() != grid.x.count || request.d.rows() != grid.y.count) return GRIDLIB_REFUSED;
    plan.data_name = split_selection(request.grid_name).file;
    plan.north_first = grid.y.descending();
    plan.rules.reverse = grid.x.descending();
    plan.source = std::make_unique<NetcdfRows>(std::move(file), grid);
    return GRIDLIB_OK;
}

// ".nc" is too short for the extension test, which looks at four
// characters; the signatures find those files.
constexpr std::string_view kExtensions[] = {".nc4", ".cdf"};
constexpr std::string_view kSignatures[] = {
    std::string_view("CDF\x01", 4), std::string_view("CDF\x02", 4), std::string_view("CDF\x05", 4),
    "\x89HDF\r\n\x1a\n",  // netCDF-4 is HDF5
};

constexpr StatusWords kStatuses[] = {
    {GRIDLIB_NETCDF_UNREADABLE, "libnetcdf cannot open the file as netCDF, or cannot read its grid's coordinates"},
    {GRIDLIB_NETCDF_NO_GRID,
     "the netCDF file holds no numeric variable of two or more dimensions, or none of the name selected"},
    {GRIDLIB_NETCDF_IRREGULAR_AXIS, "a coordinate variable of the netCDF grid is not evenly spaced"},
    {GRIDLIB_NO_USABLE_SIZE, "a dimension of the netCDF grid is empty or longer than 2147483647"},
    {GRIDLIB_BINARY_TOO_SHORT, "the netCDF file is shorter than its variables"},
};

}  // namespace

extern constinit const Driver netcdf_driver{
    .format = FormatCode::netcdf,
    .name = "netCDF",
    .cell_point = CellPoint::centre,
    .extensions = kExtensions,
    .signatures = kSignatures,
    .read_named_header = read_named_header,
    .read_placement = read_placement,
    .is_geographic = in_longitude_latitude,
    .plan_rows = plan_rows,
    .header_statuses = kStatuses,
    .read_statuses = kStatuses,
    .row_failure_causes = "libnetcdf could not read or decompress it",
};

}  // namespace gridlib::formats
