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
#include <new>
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

// Rows are read from libnetcdf a band at a time: the rows of one row of
// chunks, so that each chunk is decompressed once. Read a row at a time,
// every chunk a row crosses is decompressed again for each of its rows
// once it is larger than libnetcdf's chunk cache, and a grid stored as one
// chunk takes time in the square of its size. A band holds no more than
// kBandBytes (a single row where a row is larger): a row of chunks larger
// than that is read in several bands, each decompressing its chunks once.
// A variable stored whole is read a row at a time, as it is stored.
constexpr std::size_t kBandBytes = std::size_t{256} << 20;

// Stored numbers that 32-bit reals hold exactly are read as those, which
// halves a band; the others as doubles, so that scaling and the fill test
// see them whole.
class NetcdfRows final : public rows::RowSource {
public:
    NetcdfRows(netcdf::File file, const Grid& grid)
        : file_(std::move(file)), grid_(grid), start_(static_cast<std::size_t>(grid.dimensions), 0),
          count_(static_cast<std::size_t>(grid.dimensions), 1), columns_(static_cast<std::size_t>(grid.x.count)) {
        count_.back() = columns_;
        const std::size_t row_bytes = columns_ * (grid.doubles ? sizeof(double) : sizeof(float));
        chunk_rows_ = std::max<std::size_t>(grid.chunk_rows, 1);
        band_rows_ = std::clamp<std::size_t>(kBandBytes / row_bytes, 1, chunk_rows_);
    }

    Status read(std::int64_t k, std::span<float> values) override {
        if (k < 1 || k > grid_.y.count || values.size() != columns_) return rows::row_status(k);
        const auto row = static_cast<std::size_t>(k - 1);
        if ((row < first_ || row >= first_ + rows_) && !read_band(row)) return rows::row_status(k);
        const std::size_t at = (row - first_) * columns_;
        const auto value = [this](double v) { return grid_.value_of(v); };
        if (grid_.doubles) {
            std::transform(doubles_.begin() + static_cast<std::ptrdiff_t>(at),
                           doubles_.begin() + static_cast<std::ptrdiff_t>(at + columns_), values.begin(), value);
        } else {
            std::transform(singles_.begin() + static_cast<std::ptrdiff_t>(at),
                           singles_.begin() + static_cast<std::ptrdiff_t>(at + columns_), values.begin(), value);
        }
        return 0;
    }

private:
    // The band of `row`: its part of its row of chunks.
    bool read_band(std::size_t row) {
        const std::size_t chunk_first = row / chunk_rows_ * chunk_rows_;
        const std::size_t first = chunk_first + (row - chunk_first) / band_rows_ * band_rows_;
        const std::size_t rows = std::min({band_rows_, chunk_first + chunk_rows_ - first,
                                           static_cast<std::size_t>(grid_.y.count) - first});
        rows_ = 0;
        start_[start_.size() - 2] = first;
        count_[count_.size() - 2] = rows;
        try {
            if (grid_.doubles) doubles_.resize(rows * columns_);
            else singles_.resize(rows * columns_);
        } catch (const std::bad_alloc&) {
            return false;
        }
        const auto lock = netcdf::library_lock();
        const auto& nc = netcdf::nc();
        const int status = grid_.doubles
                               ? nc.nc_get_vara_double(file_.id(), grid_.variable, start_.data(), count_.data(),
                                                       doubles_.data())
                               : nc.nc_get_vara_float(file_.id(), grid_.variable, start_.data(), count_.data(),
                                                      singles_.data());
        if (status != NC_NOERR) return false;
        first_ = first;
        rows_ = rows;
        return true;
    }

    netcdf::File file_;
    Grid grid_;
    std::vector<std::size_t> start_, count_;
    std::size_t columns_;
    std::size_t chunk_rows_ = 1, band_rows_ = 1;
    std::size_t first_ = 0, rows_ = 0;  // the band read, 0-based
    std::vector<float> singles_;
    std::vector<double> doubles_;
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
    {GRIDLIB_NETCDF_UNSTORED,
     "the netCDF-4 grid has over 67108864 cells, and its file stores chunks for fewer than 1 in 64 of them "
     "(chunks never written hold no data)"},
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
