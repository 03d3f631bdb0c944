// Counting a netCDF-4 variable's stored chunks through HDF5: the file is
// opened a second time, read-only, which HDF5 serves from the same open file.
#include "formats/netcdf/stored_chunks.h"

#include "formats/netcdf/netcdf_library.h"

#include <string>

namespace gridlib::formats::netcdf {

#ifdef GRIDLIB_NETCDF_HDF5
namespace {

// HDF5's H5F_ACC_RDONLY and H5P_DEFAULT, whose macros call into HDF5.
constexpr unsigned kReadOnly = 0;
constexpr hid_t kDefaults = 0;

// An HDF5 object, closed by its routine when it goes.
class Hdf5Object {
public:
    Hdf5Object(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
    Hdf5Object(const Hdf5Object&) = delete;
    Hdf5Object& operator=(const Hdf5Object&) = delete;
    ~Hdf5Object() {
        if (id_ >= 0) close_(id_);
    }
    hid_t id() const { return id_; }
    bool open() const { return id_ >= 0; }

private:
    hid_t id_;
    herr_t (*close_)(hid_t);
};

// libnetcdf stores a variable that has a dimension's name without being its
// coordinate variable under a prefixed name, and the dimension's own scale
// under the plain one: the prefixed name is tried first, and a dataset of
// another rank than the variable's (such a scale) is not it.
hid_t open_dataset(const Hdf5Library& h5, hid_t file, const std::string& name, int rank) {
    for (const std::string& stored : {"_nc4_non_coord_" + name, name}) {
        const hid_t dataset = h5.H5Dopen2(file, stored.c_str(), kDefaults);
        if (dataset < 0) continue;
        const Hdf5Object space(h5.H5Dget_space(dataset), h5.H5Sclose);
        if (space.open() && h5.H5Sget_simple_extent_ndims(space.id()) == rank) return dataset;
        h5.H5Dclose(dataset);
    }
    return -1;
}

}  // namespace

std::optional<std::uint64_t> stored_chunks(const std::string& path, int id, int variable, bool chunked) {
    const Hdf5Library* h5 = hdf5_library();
    char name[NC_MAX_NAME + 1] = {};
    int rank = 0;
    if (!h5 || nc().nc_inq_varname(id, variable, name) != NC_NOERR ||
        nc().nc_inq_varndims(id, variable, &rank) != NC_NOERR)
        return std::nullopt;
    const Hdf5Object file(h5->H5Fopen(path.c_str(), kReadOnly, kDefaults), h5->H5Fclose);
    if (!file.open()) return std::nullopt;
    const Hdf5Object dataset(open_dataset(*h5, file.id(), name, rank), h5->H5Dclose);
    if (!dataset.open()) return std::nullopt;
    if (!chunked) return h5->H5Dget_storage_size(dataset.id()) > 0 ? 1 : 0;
    // HDF5 1.10 counts the chunks of the whole dataspace, and mishandles H5S_ALL.
    const Hdf5Object space(h5->H5Dget_space(dataset.id()), h5->H5Sclose);
    hsize_t count = 0;
    if (!space.open() || h5->H5Dget_num_chunks(dataset.id(), space.id(), &count) < 0) return std::nullopt;
    return count;
}

#else

std::optional<std::uint64_t> stored_chunks(const std::string&, int, int, bool) { return std::nullopt; }

#endif

}  // namespace gridlib::formats::netcdf
