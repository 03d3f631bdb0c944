// netCDF grids made here through libnetcdf, each showing one thing the
// driver must get right: axis directions, the attributes that turn stored
// numbers into values, variables of more dimensions, and the files it must
// refuse with a status of their own rather than read wrongly.
#include "formats/driver.h"
#include "formats/grid_header.h"
#include "support/temp_dir.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <hdf5.h>
#include <netcdf.h>
#include <netcdf_filter.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace gridlib::formats {
namespace {

using gridlib::testing::TempDir;

struct Dimension {
    std::string name;
    std::size_t length = 0;  // NC_UNLIMITED, and no record written
};

struct Variable {
    std::string name;
    nc_type type = NC_FLOAT;
    std::vector<std::string> dimensions;
    std::vector<double> values;  // all of them, or none
    std::vector<std::pair<std::string, std::vector<double>>> attributes = {};
    bool marked_unsigned = false;
    std::vector<std::size_t> chunks = {};  // netCDF-4: chunked thus, with `filter` where not 0
    unsigned filter = 0;
};

void write_netcdf(const std::string& path, const std::vector<Dimension>& dimensions,
                  const std::vector<Variable>& variables, int kind = 0) {
    int id = -1;
    ASSERT_EQ(nc_create(path.c_str(), NC_CLOBBER | kind, &id), NC_NOERR);
    for (const Dimension& dim : dimensions) {
        int dim_id = -1;
        ASSERT_EQ(nc_def_dim(id, dim.name.c_str(), dim.length, &dim_id), NC_NOERR);
    }
    std::vector<int> ids;
    for (const Variable& v : variables) {
        std::vector<int> dims;
        for (const std::string& name : v.dimensions) {
            int dim_id = -1;
            ASSERT_EQ(nc_inq_dimid(id, name.c_str(), &dim_id), NC_NOERR);
            dims.push_back(dim_id);
        }
        int var = -1;
        ASSERT_EQ(nc_def_var(id, v.name.c_str(), v.type, static_cast<int>(dims.size()), dims.data(), &var), NC_NOERR);
        // Fill values are of the variable's type, scaling and ranges reals.
        for (const auto& [name, numbers] : v.attributes) {
            const nc_type type = name == "_FillValue" || name == "missing_value" ? v.type : NC_DOUBLE;
            ASSERT_EQ(nc_put_att_double(id, var, name.c_str(), type, numbers.size(), numbers.data()), NC_NOERR);
        }
        if (!v.chunks.empty()) {
            ASSERT_EQ(nc_def_var_chunking(id, var, NC_CHUNKED, v.chunks.data()), NC_NOERR);
        }
        if (v.filter != 0) {
            ASSERT_EQ(nc_def_var_filter(id, var, v.filter, 0, nullptr), NC_NOERR);
        }
        if (v.marked_unsigned) {
            ASSERT_EQ(nc_put_att_text(id, var, "_Unsigned", 4, "true"), NC_NOERR);
        }
        ids.push_back(var);
    }
    ASSERT_EQ(nc_enddef(id), NC_NOERR);
    for (std::size_t k = 0; k < variables.size(); ++k) {
        const Variable& v = variables[k];
        if (v.type == NC_CHAR || v.values.empty()) continue;
        // Along an unlimited dimension, as many records as the values fill.
        std::vector<std::size_t> start(v.dimensions.size(), 0), count;
        std::size_t fixed = 1;
        for (const std::string& name : v.dimensions) {
            for (const Dimension& dim : dimensions)
                if (dim.name == name) count.push_back(dim.length), fixed *= std::max<std::size_t>(dim.length, 1);
        }
        for (std::size_t& n : count) n = n == NC_UNLIMITED ? v.values.size() / fixed : n;
        ASSERT_EQ(nc_put_vara_double(id, ids[k], start.data(), count.data(), v.values.data()), NC_NOERR);
    }
    ASSERT_EQ(nc_close(id), NC_NOERR);
}

// A grid of 3 columns and 2 rows along x and y, with coordinates.
std::vector<Dimension> grid_dimensions() { return {{"y", 2}, {"x", 3}}; }
Variable x_axis(std::vector<double> v = {10, 20, 30}) { return {"x", NC_DOUBLE, {"x"}, std::move(v)}; }
Variable y_axis(std::vector<double> v = {-5, 5}) { return {"y", NC_DOUBLE, {"y"}, std::move(v)}; }

struct Read {
    Status header = 0;
    Status plan = 0;
    GridDescriptor g{16};
    bool north_first = true;
    std::vector<std::vector<float>> rows;  // in stored order, west to east, nulls as kNullValue
};

Read read(const std::string& name) {
    Read r;
    DescriptorView d = r.g.view();
    r.header = read_grid_header(name, d);
    if (r.header != 0) return r;
    rows::ReadPlan plan;
    r.plan = plan_rows(name, d, {1, d.rows(), 1}, "/tmp", plan);
    if (r.plan != 0) return r;
    r.north_first = plan.north_first;
    for (std::int64_t k = 1; k <= d.rows(); ++k) {
        std::vector<float> row(static_cast<std::size_t>(d.columns()));
        if (plan.source->read(k, row) != 0) break;
        plan.rules.apply(row);
        r.rows.push_back(row);
    }
    return r;
}

class NetcdfGrid : public ::testing::Test {
protected:
    std::string write(const std::vector<Dimension>& dims, const std::vector<Variable>& vars, int kind = 0) {
        write_netcdf(path, dims, vars, kind);
        return path;
    }
    TempDir dir;
    const std::string path = dir.file("grid.grd");  // a GMT name: the signature decides
};

TEST_F(NetcdfGrid, AxesInEitherDirectionOrNone) {
    const std::vector<double> z = {1, 2, 3, 4, 5, 6};
    struct Case {
        const char* what;
        std::vector<Variable> axes;
        StorageOrder order;
        float west, south, column_spacing, row_spacing;
        std::vector<std::vector<float>> rows;  // stored order, west first
    } cases[] = {
        {"both rising", {x_axis(), y_axis()}, StorageOrder::rows_from_south_west, 10, -5, 10, 10,
         {{1, 2, 3}, {4, 5, 6}}},
        {"y falling", {x_axis(), y_axis({5, -5})}, StorageOrder::rows_from_north_west, 10, -5, 10, 10,
         {{1, 2, 3}, {4, 5, 6}}},
        {"x falling", {x_axis({30, 20, 10}), y_axis()}, StorageOrder::rows_from_south_east, 10, -5, 10, 10,
         {{3, 2, 1}, {6, 5, 4}}},
        // Coordinates stored as 32-bit reals, their steps uneven by rounding alone.
        {"float centres", {{"x", NC_FLOAT, {"x"}, {100.0001, 100.0002, 100.0003}}, y_axis()},
         StorageOrder::rows_from_south_west, 100.0001f, -5, 0.0001f, 10, {{1, 2, 3}, {4, 5, 6}}},
        // Without coordinate variables the cells are numbered from 0.
        {"no coordinates", {}, StorageOrder::rows_from_south_west, 0, 0, 1, 1, {{1, 2, 3}, {4, 5, 6}}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto vars = c.axes;
        vars.push_back({"z", NC_FLOAT, {"y", "x"}, z});
        Read r = read(write(grid_dimensions(), vars));
        ASSERT_EQ(r.header, 0);
        ASSERT_EQ(r.plan, 0);
        const auto d = r.g.view();
        EXPECT_EQ(d.format(), FormatCode::netcdf);
        EXPECT_EQ(d.storage_order(), static_cast<std::int32_t>(c.order));
        EXPECT_EQ(r.north_first, c.order == StorageOrder::rows_from_north_west);
        EXPECT_EQ(d.columns(), 3);
        EXPECT_EQ(d.rows(), 2);
        EXPECT_FLOAT_EQ(d.west_x(), c.west);
        EXPECT_FLOAT_EQ(d.south_y(), c.south);
        EXPECT_NEAR(d.column_spacing(), c.column_spacing, 0.01 * c.column_spacing);
        EXPECT_FLOAT_EQ(d.row_spacing(), c.row_spacing);
        EXPECT_EQ(r.rows, c.rows);
    }
}

// Each kind has its own header layout, which is walked before libnetcdf opens it.
TEST_F(NetcdfGrid, EveryKindOfFileReadsAlike) {
    for (const int kind : {0, NC_64BIT_OFFSET, NC_64BIT_DATA, NC_NETCDF4, NC_NETCDF4 | NC_CLASSIC_MODEL}) {
        SCOPED_TRACE(kind);
        Read r = read(write({{"time", NC_UNLIMITED}, {"y", 2}, {"x", 3}},
                                  {x_axis(), y_axis(),
                                   {"z", NC_INT, {"time", "y", "x"}, {1, 2, 3, 4, 5, 6},
                                    {{"_FillValue", {2}}, {"actual_range", {1, 6}}}}},
                                  kind));
        EXPECT_EQ(r.rows, (std::vector<std::vector<float>>{{1, kNullValue, 3}, {4, 5, 6}}));
        EXPECT_FLOAT_EQ(r.g.view().data_min(), 1);  // the range the file states
        EXPECT_FLOAT_EQ(r.g.view().data_max(), 6);
    }
}

TEST_F(NetcdfGrid, StoredNumbersBecomeValues) {
    const float null = kNullValue;
    struct Case {
        const char* what;
        Variable z;
        std::vector<float> values;  // both rows, as stored
    } cases[] = {
        {"scale, offset, fill and missing value",
         {"z", NC_SHORT, {"y", "x"}, {0, 1, -100, 7, -32768, 250},
          {{"scale_factor", {0.5}}, {"add_offset", {1000}}, {"_FillValue", {-32768}}, {"missing_value", {7}}}},
         {1000, 1000.5, 950, null, null, 1125}},
        {"NaN, the default fill and beyond 32-bit reals",
         {"z", NC_DOUBLE, {"y", "x"}, {NAN, NC_FILL_DOUBLE, 1e300, -2.5, 1e-3, 3e38}},
         {null, null, null, -2.5, 1e-3f, 3e38f}},
        {"unsigned bytes in a classic file",
         {"z", NC_BYTE, {"y", "x"}, {-1, -128, 0, 127, 5, -6}, {}, true},
         {255, 128, 0, 127, 5, 250}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Read r = read(write(grid_dimensions(), {x_axis(), y_axis(), c.z}));
        ASSERT_EQ(r.plan, 0);
        ASSERT_EQ(r.rows.size(), 2u);
        std::vector<float> got = r.rows[0];
        got.insert(got.end(), r.rows[1].begin(), r.rows[1].end());
        EXPECT_EQ(got, c.values);
    }
}

TEST_F(NetcdfGrid, LeadingDimensionsAreReadAtTheirFirstIndex) {
    Read r = read(write({{"time", 2}, {"y", 2}, {"x", 3}},
                        {x_axis(), y_axis(), {"z", NC_FLOAT, {"time", "y", "x"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}}));
    ASSERT_EQ(r.plan, 0);
    EXPECT_EQ(r.rows, (std::vector<std::vector<float>>{{1, 2, 3}, {4, 5, 6}}));
}

TEST_F(NetcdfGrid, SelectionNamesTheVariable) {
    // Cell bounds first, which have no coordinates along their second
    // dimension: the grid is the variable after them.
    write({{"y", 2}, {"x", 3}, {"nv", 2}},
          {x_axis(), y_axis(), {"x_bnds", NC_DOUBLE, {"x", "nv"}, {5, 15, 15, 25, 25, 35}},
           {"first", NC_FLOAT, {"y", "x"}, {1, 2, 3, 4, 5, 6}},
           {"second", NC_FLOAT, {"y", "x"}, {6, 5, 4, 3, 2, 1}}});
    EXPECT_EQ(read(path).rows, (std::vector<std::vector<float>>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(read(path + "?second").rows, (std::vector<std::vector<float>>{{6, 5, 4}, {3, 2, 1}}));
    EXPECT_EQ(read(path + "?third").header, GRIDLIB_NETCDF_NO_GRID);
    EXPECT_EQ(read(path + "?x").header, GRIDLIB_NETCDF_NO_GRID);  // one dimension is no grid
}

TEST_F(NetcdfGrid, RefusedWithTheirOwnStatus) {
    const Variable z{"z", NC_FLOAT, {"y", "x"}, {1, 2, 3, 4, 5, 6}};
    struct Case {
        const char* what;
        std::vector<Dimension> dims;
        std::vector<Variable> vars;
        Status status;
    } cases[] = {
        {"uneven x", grid_dimensions(), {x_axis({10, 20, 35}), y_axis(), z}, GRIDLIB_NETCDF_IRREGULAR_AXIS},
        {"repeated y", grid_dimensions(), {x_axis(), y_axis({5, 5}), z}, GRIDLIB_NETCDF_IRREGULAR_AXIS},
        {"NaN in x", grid_dimensions(), {x_axis({10, NAN, 30}), y_axis(), z}, GRIDLIB_NETCDF_IRREGULAR_AXIS},
        {"no grid variable", grid_dimensions(), {x_axis(), y_axis()}, GRIDLIB_NETCDF_NO_GRID},
        {"text grid", grid_dimensions(), {{"z", NC_CHAR, {"y", "x"}, {}}}, GRIDLIB_NETCDF_NO_GRID},
        {"no time step", {{"time", NC_UNLIMITED}, {"y", 2}, {"x", 3}},
         {{"z", NC_FLOAT, {"time", "y", "x"}, {}}}, GRIDLIB_NO_USABLE_SIZE},
        {"no rows", {{"y", NC_UNLIMITED}, {"x", 3}}, {{"z", NC_FLOAT, {"y", "x"}, {}}}, GRIDLIB_NO_USABLE_SIZE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(write(c.dims, c.vars)).header, c.status);
    }
    testing::write_file(path, std::string("CDF\x01", 4) + std::string(200, '\x7f'));
    EXPECT_EQ(read(path).header, GRIDLIB_NETCDF_UNREADABLE);
    // A dimension name of 1.6 GB stated in a file of 21 bytes: libnetcdf
    // would allocate it before finding the file too short.
    testing::write_file(path, std::string("CDF\x01\0\0\0\0\0\0\0\x0A\0\0\0\x01\x60\0\0\0x", 21));
    EXPECT_EQ(read(path).header, GRIDLIB_NETCDF_UNREADABLE);
}

// libnetcdf reads what lies beyond the end of a classic file as zeros.
TEST_F(NetcdfGrid, CutShortIsRefusedNotReadAsZeros) {
    std::vector<double> z(400 * 300);
    for (std::size_t k = 0; k < z.size(); ++k) z[k] = static_cast<double>(k % 977);
    std::vector<double> x(400), y(300);
    for (std::size_t k = 0; k < x.size(); ++k) x[k] = static_cast<double>(k);
    for (std::size_t k = 0; k < y.size(); ++k) y[k] = static_cast<double>(k);
    write({{"y", 300}, {"x", 400}}, {{"x", NC_DOUBLE, {"x"}, x}, {"y", NC_DOUBLE, {"y"}, y},
                                     {"z", NC_FLOAT, {"y", "x"}, z}});
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    EXPECT_EQ(read(path).header, GRIDLIB_BINARY_TOO_SHORT);
}

// Cut by fewer bytes than the header holds, a file still held more bytes
// than its variables' numbers add up to, and was read with zeros for the
// numbers cut off. The end of each variable's numbers counts (of those
// along the unlimited dimension, their last record's): a file that ends
// within the padding after them still holds them all.
TEST_F(NetcdfGrid, ClassicFileEndingBeforeItsLastNumberIsRefused) {
    const std::vector<double> nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<double> two_records = nine;
    two_records.insert(two_records.end(), nine.rbegin(), nine.rend());
    struct Case {
        const char* what;
        std::vector<Dimension> dims;
        std::vector<Variable> vars;
        std::uintmax_t padding;  // after the last number, which the file may lack
    } cases[] = {
        // 9 16-bit numbers, padded to 20 bytes.
        {"fixed variables", {{"y", 3}, {"x", 3}},
         {{"x", NC_DOUBLE, {"x"}, {1, 2, 3}}, {"z", NC_SHORT, {"y", "x"}, nine}}, 2},
        // A single record variable is stored unpadded.
        {"one record variable", {{"time", NC_UNLIMITED}, {"y", 3}, {"x", 3}},
         {{"x", NC_DOUBLE, {"x"}, {1, 2, 3}}, {"z", NC_SHORT, {"time", "y", "x"}, two_records}}, 0},
        // Records of two variables, each padded: the second's last record
        // ends 2 bytes before the file.
        {"two record variables", {{"time", NC_UNLIMITED}, {"y", 3}, {"x", 3}},
         {{"z", NC_SHORT, {"time", "y", "x"}, two_records}, {"w", NC_SHORT, {"time", "y", "x"}, two_records}}, 2},
    };
    for (const int kind : {0, NC_64BIT_OFFSET, NC_64BIT_DATA}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", kind " + std::to_string(kind));
            write(c.dims, c.vars, kind);
            const auto whole = std::filesystem::file_size(path);
            std::filesystem::resize_file(path, whole - c.padding);
            Read r = read(path);
            ASSERT_EQ(r.plan, 0);
            EXPECT_EQ(r.rows, (std::vector<std::vector<float>>{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
            // Each case's numbers take more than 40 bytes.
            for (const std::uintmax_t cut : {c.padding + 1, c.padding + 4, std::uintmax_t{40}}) {
                std::filesystem::resize_file(path, whole - cut);
                EXPECT_EQ(read(path).header, GRIDLIB_BINARY_TOO_SHORT) << cut << " bytes cut off";
            }
        }
    }
}

// An HDF5 filter that passes chunks through as they are and counts how
// often one is decoded: HDF5 runs it wherever libnetcdf reads a chunk of a
// variable written with it, gridlib's reads too.
std::atomic<int> decodings{0};
constexpr H5Z_filter_t kCountingFilter = 300;  // HDF5 leaves 256 to 511 to tests

std::size_t count_decoding(unsigned flags, std::size_t, const unsigned[], std::size_t bytes, std::size_t*, void**) {
    if (flags & H5Z_FLAG_REVERSE) ++decodings;
    return bytes;
}

// HDF5 comes with libnetcdf, which the tests link; they do not link HDF5 itself.
bool register_counting_filter() {
    static const H5Z_class2_t filter = {H5Z_CLASS_T_VERS, kCountingFilter, 1, 1, "counting", nullptr, nullptr,
                                        count_decoding};
    const auto register_filter = reinterpret_cast<decltype(&H5Zregister)>(dlsym(RTLD_DEFAULT, "H5Zregister"));
    return register_filter && register_filter(&filter) >= 0;
}

// libnetcdf's chunk cache for the files opened while it lives.
class ChunkCache {
public:
    explicit ChunkCache(std::size_t bytes) {
        nc_get_chunk_cache(&bytes_, &slots_, &preemption_);
        nc_set_chunk_cache(bytes, slots_, preemption_);
    }
    ~ChunkCache() { nc_set_chunk_cache(bytes_, slots_, preemption_); }

private:
    std::size_t bytes_ = 0, slots_ = 0;
    float preemption_ = 0;
};

// A chunk larger than libnetcdf's chunk cache (16 MiB by default, here made
// smaller than the chunks of the test) was decompressed again for every row
// read from it.
TEST_F(NetcdfGrid, EachChunkIsDecodedOnce) {
    ASSERT_TRUE(register_counting_filter());
    const ChunkCache cache(16 << 10);
    constexpr std::size_t rows = 150, columns = 100;
    std::vector<double> z(rows * columns);
    for (std::size_t k = 0; k < z.size(); ++k) z[k] = static_cast<double>(k);
    struct Case {
        const char* what;
        Variable z;
        int decodings;
    } cases[] = {
        {"one chunk", {"z", NC_FLOAT, {"y", "x"}, z, {}, false, {rows, columns}, kCountingFilter}, 1},
        // Uneven: the last row and column of chunks are cut short.
        {"chunks of 40 x 30", {"z", NC_FLOAT, {"y", "x"}, z, {}, false, {40, 30}, kCountingFilter}, 4 * 4},
        {"doubles, chunks of 64 rows", {"z", NC_DOUBLE, {"y", "x"}, z, {}, false, {64, columns}, kCountingFilter}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write({{"y", rows}, {"x", columns}}, {c.z}, NC_NETCDF4);
        decodings = 0;
        const Read r = read(path);
        ASSERT_EQ(r.plan, 0);
        EXPECT_EQ(decodings, c.decodings);
        ASSERT_EQ(r.rows.size(), rows);
        for (std::size_t k = 0; k < rows; k += 7) {
            SCOPED_TRACE(k);
            EXPECT_EQ(r.rows[k].front(), static_cast<float>(k * columns));
            EXPECT_EQ(r.rows[k].back(), static_cast<float>(k * columns + columns - 1));
        }
    }
}

// A netCDF-4 grid of 32-bit reals, chunked as `chunks` (stored whole
// without), deflated, of which the chunks starting at the cells `written`
// hold 1 in each cell; the others were never written.
void write_sparse(const std::string& path, std::size_t rows, std::size_t columns, std::vector<std::size_t> chunks,
                  const std::vector<std::pair<std::size_t, std::size_t>>& written, const char* name = "z") {
    int id = -1, y = -1, x = -1, z = -1;
    ASSERT_EQ(nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &id), NC_NOERR);
    ASSERT_EQ(nc_def_dim(id, "y", rows, &y), NC_NOERR);
    ASSERT_EQ(nc_def_dim(id, "x", columns, &x), NC_NOERR);
    const int dims[] = {y, x};
    ASSERT_EQ(nc_def_var(id, name, NC_FLOAT, 2, dims, &z), NC_NOERR);
    if (chunks.empty()) {
        ASSERT_EQ(nc_def_var_chunking(id, z, NC_CONTIGUOUS, nullptr), NC_NOERR);
    } else {
        ASSERT_EQ(nc_def_var_chunking(id, z, NC_CHUNKED, chunks.data()), NC_NOERR);
        ASSERT_EQ(nc_def_var_deflate(id, z, 0, 1, 1), NC_NOERR);
    }
    ASSERT_EQ(nc_enddef(id), NC_NOERR);
    for (const auto& [row, column] : written) {
        const std::vector<float> ones(chunks[0] * chunks[1], 1.0f);
        const std::size_t start[] = {row, column};
        ASSERT_EQ(nc_put_vara_float(id, z, start, chunks.data(), ones.data()), NC_NOERR);
    }
    ASSERT_EQ(nc_close(id), NC_NOERR);
}

// Chunks never written read as fill values: a file of a few kilobytes
// declared a grid of billions of null cells, and its working grid was
// written whole. A large grid needs stored chunks for 1 in 64 of its cells.
TEST_F(NetcdfGrid, LargeGridOfChunksNeverWrittenIsRefused) {
    using Chunks = std::vector<std::pair<std::size_t, std::size_t>>;
    struct Case {
        const char* what;
        std::size_t rows, columns;
        std::vector<std::size_t> chunks;
        Chunks written;
        Status header;
        const char* name = "z";
    } cases[] = {
        {"60000 x 60000, no chunk written", 60000, 60000, {1000, 1000}, {}, GRIDLIB_NETCDF_UNSTORED},
        {"stored whole, never written", 9000, 9000, {}, {}, GRIDLIB_NETCDF_UNSTORED},
        // 81 million cells: a chunk of a million covers less than 1 in 64, two cover more.
        {"one chunk written of 81", 9000, 9000, {1000, 1000}, {{0, 0}}, GRIDLIB_NETCDF_UNSTORED},
        {"two chunks written of 81", 9000, 9000, {1000, 1000}, {{0, 0}, {8000, 8000}}, 0},
        // Any grid of up to 8192 x 8192 cells reads.
        {"8192 x 8192, no chunk written", 8192, 8192, {1024, 1024}, {}, 0},
        // Named as a dimension, whose own scale HDF5 stores under the plain name.
        {"named x, no chunk written", 60000, 60000, {1000, 1000}, {}, GRIDLIB_NETCDF_UNSTORED, "x"},
        {"named x, two chunks written of 81", 9000, 9000, {1000, 1000}, {{0, 0}, {8000, 8000}}, 0, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_sparse(path, c.rows, c.columns, c.chunks, c.written, c.name);
        EXPECT_LT(std::filesystem::file_size(path), 100000u);
        GridDescriptor g(16);
        DescriptorView d = g.view();
        EXPECT_EQ(read_grid_header(path, d), c.header);
    }
    // A small grid reads whatever it stores, its other cells null.
    write_sparse(path, 4, 6, {2, 3}, {{2, 3}});
    const Read r = read(path);
    const float n = kNullValue;
    EXPECT_EQ(r.rows, (std::vector<std::vector<float>>{{n, n, n, n, n, n}, {n, n, n, n, n, n},
                                                      {n, n, n, 1, 1, 1}, {n, n, n, 1, 1, 1}}));
}

}  // namespace
}  // namespace gridlib::formats
