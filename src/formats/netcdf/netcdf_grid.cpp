// Finding the grid of a netCDF file: its variable, axes and value attributes.
#include "formats/netcdf/netcdf_grid.h"

#include "formats/grid_selection.h"
#include "formats/netcdf/classic_header.h"
#include "formats/netcdf/stored_chunks.h"

#include "formats/netcdf/netcdf_library.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gridlib::formats::netcdf {

std::unique_lock<std::recursive_mutex> library_lock() {
    static std::recursive_mutex lock;
    return std::unique_lock(lock);
}

File& File::operator=(File&& other) noexcept {
    std::swap(id_, other.id_);
    return *this;
}

File::~File() {
    if (id_ < 0) return;
    const auto lock = library_lock();
    nc().nc_close(id_);
}

namespace {

bool numeric(nc_type type) {
    switch (type) {
    case NC_BYTE: case NC_UBYTE: case NC_SHORT: case NC_USHORT: case NC_INT: case NC_UINT:
    case NC_INT64: case NC_UINT64: case NC_FLOAT: case NC_DOUBLE:
        return true;
    default:
        return false;
    }
}

// The first numbers of a numeric attribute, as many as `out` holds; false
// when it is missing, not numeric or shorter. The attributes read here hold
// one number or a pair; a longer one is no attribute of the kind, and is
// not read, so that its length never sizes an allocation.
bool attribute_numbers(int id, int variable, const char* name, std::span<double> out) {
    constexpr std::size_t kLongest = 2;
    nc_type type = NC_NAT;
    std::size_t length = 0;
    if (nc().nc_inq_att(id, variable, name, &type, &length) != NC_NOERR || !numeric(type)) return false;
    if (length < out.size() || length > kLongest) return false;
    std::array<double, kLongest> all{};
    if (nc().nc_get_att_double(id, variable, name, all.data()) != NC_NOERR) return false;
    std::copy_n(all.begin(), out.size(), out.begin());
    return true;
}

std::optional<double> attribute_number(int id, int variable, const char* name) {
    double v = 0;
    if (!attribute_numbers(id, variable, name, {&v, 1})) return std::nullopt;
    return v;
}

// classic files have no unsigned types: GDAL and others write unsigned
// bytes as signed ones marked _Unsigned = "true".
bool marked_unsigned(int id, int variable) {
    char text[8] = {};
    std::size_t length = 0;
    if (nc().nc_inq_attlen(id, variable, "_Unsigned", &length) != NC_NOERR || length == 0 || length >= sizeof text)
        return false;
    if (nc().nc_get_att_text(id, variable, "_Unsigned", text) != NC_NOERR) return false;
    return std::strcmp(text, "true") == 0;
}

int dimensions_of(int id, int variable) {
    int n = 0;
    return nc().nc_inq_varndims(id, variable, &n) == NC_NOERR ? n : 0;
}

// The variable's dimension ids; empty when libnetcdf cannot say, or a
// malformed file claims more than a variable can have.
std::vector<int> dimension_ids(int id, int variable) {
    const int n = dimensions_of(id, variable);
    if (n <= 0 || n > NC_MAX_VAR_DIMS) return {};
    std::vector<int> ids(static_cast<std::size_t>(n));
    if (nc().nc_inq_vardimid(id, variable, ids.data()) != NC_NOERR) return {};
    return ids;
}

// The coordinate variable of a dimension: the one-dimensional numeric
// variable of its name along it.
std::optional<int> coordinate_variable(int id, int dimension) {
    char name[NC_MAX_NAME + 1] = {};
    int variable = -1;
    nc_type type = NC_NAT;
    if (nc().nc_inq_dimname(id, dimension, name) != NC_NOERR || nc().nc_inq_varid(id, name, &variable) != NC_NOERR ||
        nc().nc_inq_vartype(id, variable, &type) != NC_NOERR || !numeric(type))
        return std::nullopt;
    const auto along = dimension_ids(id, variable);
    if (along.size() != 1 || along[0] != dimension) return std::nullopt;
    return variable;
}

bool is_grid_variable(int id, int variable) {
    nc_type type = NC_NAT;
    return nc().nc_inq_vartype(id, variable, &type) == NC_NOERR && numeric(type) && dimensions_of(id, variable) >= 2;
}

bool has_coordinates(int id, int variable) {
    const auto dims = dimension_ids(id, variable);
    return dims.size() >= 2 && coordinate_variable(id, dims[dims.size() - 1]) &&
           coordinate_variable(id, dims[dims.size() - 2]);
}

// The variable named, or the first that looks like a grid: one whose axes
// have coordinates, so that a CF file's cell bounds (lat_bnds, with a
// dimension of 2 beside the latitude) are passed over.
std::optional<int> find_variable(int id, const std::string& selection) {
    if (!selection.empty()) {
        int variable = -1;
        if (nc().nc_inq_varid(id, selection.c_str(), &variable) != NC_NOERR || !is_grid_variable(id, variable))
            return std::nullopt;
        return variable;
    }
    int count = 0;
    if (nc().nc_inq_nvars(id, &count) != NC_NOERR) return std::nullopt;
    std::optional<int> first;
    for (int v = 0; v < count; ++v) {
        if (!is_grid_variable(id, v)) continue;
        if (has_coordinates(id, v)) return v;
        if (!first) first = v;
    }
    return first;
}

// Within this share of a cell of where even spacing puts them, stored
// centres count as evenly spaced; centres stored as 32-bit reals get their
// rounding on top.
constexpr double kSpacingTolerance = 0.01;
constexpr std::size_t kCoordinatesPerRead = 4096;

// The axis from a coordinate variable of `count` numbers, when its centres
// are evenly spaced.
Status read_axis(int id, int variable, std::int32_t count, Axis& axis) {
    axis.count = count;
    const std::size_t last = static_cast<std::size_t>(count) - 1, zero = 0;
    if (nc().nc_get_var1_double(id, variable, &zero, &axis.first) != NC_NOERR ||
        nc().nc_get_var1_double(id, variable, &last, &axis.last) != NC_NOERR)
        return GRIDLIB_NETCDF_UNREADABLE;
    nc_type type = NC_NAT;
    nc().nc_inq_vartype(id, variable, &type);
    const double spacing = axis.spacing();
    const double rounding = type == NC_FLOAT ? 4 * FLT_EPSILON * std::max(std::fabs(axis.first), std::fabs(axis.last))
                                             : 0.0;
    const double tolerance = kSpacingTolerance * std::fabs(spacing) + rounding;
    if (count > 1 && !(std::fabs(spacing) > 0)) return GRIDLIB_NETCDF_IRREGULAR_AXIS;

    // Read in pieces: an axis may be as long as a grid row, and is read once more for each.
    std::vector<double> piece(std::min<std::size_t>(kCoordinatesPerRead, static_cast<std::size_t>(count)));
    for (std::size_t from = 0; from < static_cast<std::size_t>(count); from += piece.size()) {
        const std::size_t n = std::min(piece.size(), static_cast<std::size_t>(count) - from);
        if (nc().nc_get_vara_double(id, variable, &from, &n, piece.data()) != NC_NOERR) return GRIDLIB_NETCDF_UNREADABLE;
        for (std::size_t k = 0; k < n; ++k) {
            const double even = axis.first + static_cast<double>(from + k) * spacing;
            if (!(std::fabs(piece[k] - even) <= tolerance)) return GRIDLIB_NETCDF_IRREGULAR_AXIS;
        }
    }
    return GRIDLIB_OK;
}

// An axis without coordinates is numbered by its cells, from 0 upward.
Status axis_of(int id, int dimension, Axis& axis) {
    std::size_t length = 0;
    if (nc().nc_inq_dimlen(id, dimension, &length) != NC_NOERR) return GRIDLIB_NETCDF_UNREADABLE;
    if (length == 0 || length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return GRIDLIB_NO_USABLE_SIZE;
    const auto count = static_cast<std::int32_t>(length);
    if (const auto coordinates = coordinate_variable(id, dimension)) return read_axis(id, *coordinates, count, axis);
    axis = {0.0, static_cast<double>(count - 1), count};
    return GRIDLIB_OK;
}

// The units text of a dimension's coordinate variable; empty without one.
std::string axis_units(int id, int dimension) {
    const auto variable = coordinate_variable(id, dimension);
    std::size_t length = 0;
    if (!variable || nc().nc_inq_attlen(id, *variable, "units", &length) != NC_NOERR || length > NC_MAX_NAME)
        return {};
    std::string units(length, '\0');
    if (nc().nc_get_att_text(id, *variable, "units", units.data()) != NC_NOERR) return {};
    units.resize(units.find('\0') == std::string::npos ? units.size() : units.find('\0'));
    return units;
}

// CF's units of longitude and latitude: degree or degrees, then _east or
// _E, E, or nothing between (degreesE); north alike.
bool degrees_toward(std::string_view units, std::string_view word, char letter) {
    for (const std::string_view degree : {"degrees", "degree"}) {
        if (!units.starts_with(degree)) continue;
        std::string_view rest = units.substr(degree.size());
        if (rest.starts_with('_')) rest.remove_prefix(1);
        return rest == word || (rest.size() == 1 && rest[0] == letter);
    }
    return false;
}

// The default fill of the 32- and 64-bit reals, which marks cells never
// written; the integers' defaults are plausible values and are not taken.
std::optional<double> default_fill(nc_type type) {
    if (type == NC_FLOAT) return static_cast<double>(NC_FILL_FLOAT);
    if (type == NC_DOUBLE) return NC_FILL_DOUBLE;
    return std::nullopt;
}

void read_value_attributes(int id, Grid& grid) {
    const int v = grid.variable;
    nc_type type = NC_NAT;
    nc().nc_inq_vartype(id, v, &type);
    grid.doubles = type == NC_DOUBLE || type == NC_INT || type == NC_UINT || type == NC_INT64 || type == NC_UINT64;
    grid.fill_value = attribute_number(id, v, "_FillValue");
    if (!grid.fill_value) grid.fill_value = default_fill(type);
    grid.missing_value = attribute_number(id, v, "missing_value");
    grid.scale = attribute_number(id, v, "scale_factor").value_or(1.0);
    grid.offset = attribute_number(id, v, "add_offset").value_or(0.0);
    if (marked_unsigned(id, v)) {
        if (type == NC_BYTE) grid.unsigned_span = 256.0;
        if (type == NC_SHORT) grid.unsigned_span = 65536.0;
        if (type == NC_INT) grid.unsigned_span = 4294967296.0;
    }
    std::array<double, 2> range{};
    if (attribute_numbers(id, v, "actual_range", range) && range[0] <= range[1]) {
        grid.minimum = range[0];
        grid.maximum = range[1];
    }
}

// The chunking of the grid's rows and columns; none for a variable stored
// whole, or one whose chunking libnetcdf cannot tell.
void read_chunking(int id, Grid& grid) {
    int storage = NC_CONTIGUOUS;
    std::vector<std::size_t> chunks(static_cast<std::size_t>(grid.dimensions));
    if (nc().nc_inq_var_chunking(id, grid.variable, &storage, chunks.data()) != NC_NOERR || storage != NC_CHUNKED)
        return;
    const std::size_t rows = chunks[chunks.size() - 2], columns = chunks.back();
    if (rows == 0 || columns == 0) return;
    grid.chunk_rows = std::min(rows, static_cast<std::size_t>(grid.y.count));
    grid.chunk_columns = std::min(columns, static_cast<std::size_t>(grid.x.count));
}

// libnetcdf serves the chunks of a netCDF-4 variable that were never
// written as fill values, so a file of a few kilobytes can declare a grid
// of billions of cells, every one null, and its working grid would hold
// them all. A grid of more than kAnyGridCells cells is read only when the
// chunks its file stores cover at least 1 in kStoredShare of its cells. A
// chunk may hold a great many cells in few bytes (Deflate reaches 1000:1),
// so the count of stored chunks decides, not their bytes. Chunks of other
// indices of the leading dimensions (later time steps) count too.
constexpr std::uint64_t kAnyGridCells = std::uint64_t{1} << 26;  // 8192 x 8192: a working grid of 256 MiB
constexpr std::uint64_t kStoredShare = 64;

Status check_stored_cells(int id, const std::string& path, const Grid& grid) {
    const std::uint64_t cells = static_cast<std::uint64_t>(grid.x.count) * static_cast<std::uint64_t>(grid.y.count);
    int format = 0;
    if (cells <= kAnyGridCells || nc().nc_inq_format(id, &format) != NC_NOERR ||
        (format != NC_FORMAT_NETCDF4 && format != NC_FORMAT_NETCDF4_CLASSIC))
        return GRIDLIB_OK;
    const bool chunked = grid.chunk_rows > 0;
    const auto stored = stored_chunks(path, id, grid.variable, chunked);
    if (!stored) return GRIDLIB_OK;  // HDF5 cannot tell
    const std::uint64_t chunk_cells = chunked ? grid.chunk_rows * grid.chunk_columns : cells;
    const std::uint64_t covered = *stored > cells / chunk_cells ? cells : *stored * chunk_cells;
    return covered < cells / kStoredShare ? GRIDLIB_NETCDF_UNSTORED : GRIDLIB_OK;
}

}  // namespace

float Grid::value_of(double stored) const {
    // Fill values are stored numbers, compared before any scaling.
    if (std::isnan(stored) || stored == fill_value || stored == missing_value) return kNullValue;
    if (stored < 0) stored += unsigned_span;
    const double value = stored * scale + offset;
    return std::fabs(value) <= FLT_MAX ? static_cast<float>(value) : kNullValue;
}

Status open_grid(const std::string& grid_name, File& file, Grid& grid) {
    const GridSelection selected = split_selection(grid_name);
    const ClassicFile classic = check_classic_file(selected.file);
    if (classic == ClassicFile::header_unfit) return GRIDLIB_NETCDF_UNREADABLE;
    const auto lock = library_lock();
    int id = -1;
    if (!netcdf_library() || nc().nc_open(selected.file.c_str(), NC_NOWRITE, &id) != NC_NOERR)
        return GRIDLIB_NETCDF_UNREADABLE;
    file = File(id);
    // libnetcdf reads what lies beyond the end of a classic file as zeros
    // (a file written without fill values may end before numbers never
    // written), so a file cut short would read as a grid of zeros.
    if (classic == ClassicFile::numbers_cut_off) return GRIDLIB_BINARY_TOO_SHORT;

    const auto variable = find_variable(id, selected.selection);
    if (!variable) return GRIDLIB_NETCDF_NO_GRID;
    grid = Grid{};
    grid.variable = *variable;
    const auto dims = dimension_ids(id, grid.variable);
    if (dims.size() < 2) return GRIDLIB_NETCDF_NO_GRID;
    grid.dimensions = static_cast<int>(dims.size());
    // The leading dimensions (time, depth, ...) are read at their first
    // index, which they must have.
    for (std::size_t k = 0; k + 2 < dims.size(); ++k) {
        std::size_t length = 0;
        if (nc().nc_inq_dimlen(id, dims[k], &length) != NC_NOERR || length == 0) return GRIDLIB_NO_USABLE_SIZE;
    }
    if (const Status s = axis_of(id, dims[dims.size() - 1], grid.x); s != GRIDLIB_OK) return s;
    if (const Status s = axis_of(id, dims[dims.size() - 2], grid.y); s != GRIDLIB_OK) return s;
    read_value_attributes(id, grid);
    read_chunking(id, grid);
    if (const Status s = check_stored_cells(id, selected.file, grid); s != GRIDLIB_OK) return s;
    grid.geographic = degrees_toward(axis_units(id, dims[dims.size() - 1]), "east", 'E') &&
                      degrees_toward(axis_units(id, dims[dims.size() - 2]), "north", 'N');
    return GRIDLIB_OK;
}

}  // namespace gridlib::formats::netcdf
