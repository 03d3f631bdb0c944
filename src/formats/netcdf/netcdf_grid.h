// A grid in a netCDF file (GMT's COARDS grids, CF grids in longitude and
// latitude, classic or netCDF-4): which variable holds it, its two axes and
// the attributes that say how its stored numbers become values. Everything
// the driver's header reader, placement and row source need, found the same
// way each time from the grid's name.
#pragma once

#include "formats/driver.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace gridlib::formats::netcdf {

// libnetcdf keeps global state without locks of its own (HDF5 beneath it
// too), so every nc_* call of the library holds this lock. Recursive, so
// that a File closed while it is held (one replaced, say) cannot deadlock.
std::unique_lock<std::recursive_mutex> library_lock();

// An open netCDF file, closed (under the lock) when it goes.
class File {
public:
    File() = default;
    explicit File(int id) : id_(id) {}
    File(File&& other) noexcept : id_(other.id_) { other.id_ = -1; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();
    int id() const { return id_; }

private:
    int id_ = -1;
};

// One axis of the grid: the coordinates of its first and last cell
// centres, and how many cells it has. Cells are stored from `first` on.
struct Axis {
    double first = 0;
    double last = 0;
    std::int32_t count = 0;

    // The distance between neighbouring centres; 0 for a single cell.
    double spacing() const { return count > 1 ? (last - first) / (count - 1) : 0.0; }
    bool descending() const { return last < first; }
};

struct Grid {
    int variable = -1;
    int dimensions = 0;  // of the variable: rows and columns are its last two
    Axis x, y;
    // Stored numbers equal to either are null cells (NaN always is).
    std::optional<double> fill_value;
    std::optional<double> missing_value;
    // value = stored * scale + offset
    double scale = 1;
    double offset = 0;
    // Signed integers that hold unsigned ones: what a negative one lacks.
    double unsigned_span = 0;
    // The range of the values, where the file states it.
    std::optional<double> minimum, maximum;
    bool doubles = false;  // stored with more precision than a 32-bit real
    // The rows and columns of the chunks the variable is stored in (no more
    // than the grid's); 0 for one stored whole, as every classic file's are.
    std::size_t chunk_rows = 0, chunk_columns = 0;
    // The axes' units say longitude and latitude (CF's degrees_east and
    // degrees_north, in any of the spellings CF allows).
    bool geographic = false;

    // The value of a stored number, as the working grid holds it: the null
    // value for a null cell and for one beyond the 32-bit reals.
    float value_of(double stored) const;
};

// Opens the file of grid_name ("file.nc" or "file.nc?variable") and finds
// its grid: the variable named after the question mark, otherwise the first
// of two or more dimensions whose last two have coordinate variables, or
// failing that the first of two or more dimensions at all. 0 or the
// header status that says why there is none.
Status open_grid(const std::string& grid_name, File& file, Grid& grid);

}  // namespace gridlib::formats::netcdf
