// GeoTIFF grids (and plain TIFF images, BigTIFF included), read through
// libtiff: one band of integers or reals, in strips or tiles, placed by the
// GeoTIFF tags as GDAL places it. "dem.tif?2" reads the second band.
#include "formats/binary_fields.h"
#include "formats/driver.h"
#include "formats/geotiff/georeference.h"
#include "formats/geotiff/tiff_handle.h"
#include "formats/geotiff/tiff_layout.h"
#include "formats/geotiff/tiff_rows.h"
#include "formats/grid_selection.h"

#include <tiffio.h>

#include <cfloat>
#include <cmath>

namespace gridlib::formats {
namespace {

using geotiff::Georeference;
using geotiff::TiffHandle;
using geotiff::TiffLayout;

// An open file's layout and placement, for the band its name selects.
struct OpenImage {
    std::string file;
    std::unique_ptr<TiffHandle> handle;
    TiffLayout layout;
    Georeference place;
};

Status open_image(const std::string& grid_name, OpenImage& image) {
    const GridSelection selected = split_selection(grid_name);
    const auto band = geotiff::selected_band(selected.selection);
    if (!band) return GRIDLIB_TIFF_NO_BAND;
    image.file = selected.file;
    image.handle = TiffHandle::open(selected.file);
    if (!image.handle) return GRIDLIB_TIFF_UNREADABLE;
    TIFF* tif = image.handle->get();
    if (const Status s = geotiff::read_layout(tif, image.handle->file_size(), *band, image.layout); s != 0) return s;
    return geotiff::read_georeference(tif, image.layout.columns, image.layout.rows, image.place);
}

StorageOrder storage_order(const Georeference& place) {
    if (place.rows_from_south) {
        return place.columns_from_east ? StorageOrder::rows_from_south_east : StorageOrder::rows_from_south_west;
    }
    return place.columns_from_east ? StorageOrder::rows_from_north_east : StorageOrder::rows_from_north_west;
}

// The nodata value where a 32-bit real can hold it; otherwise the cells
// that equal it are null all the same, under the working grid's null value.
float null_value_of(const TiffLayout& layout) {
    if (!layout.nodata || std::fabs(*layout.nodata) > FLT_MAX) return kNullValue;
    return static_cast<float>(*layout.nodata);
}

Status read_named_header(const std::string& grid_name, DescriptorView& d) {
    OpenImage image;
    if (const Status s = open_image(grid_name, image); s != 0) return s;
    const TiffLayout& layout = image.layout;
    const GridPlacement& p = image.place.placement;
    d.band_count() = layout.bands;
    d.selected_band() = layout.band + 1;
    d.data_offset() = 0;
    d.value_type() = layout.sample_bytes;
    d.set_storage_order(storage_order(image.place));
    d.set_byte_order(TIFFIsBigEndian(image.handle->get()) ? ByteOrder::most_significant_first
                                                          : ByteOrder::least_significant_first_always);
    d.columns() = static_cast<std::int32_t>(layout.columns);
    d.rows() = static_cast<std::int32_t>(layout.rows);
    // The descriptor names cell centres.
    d.column_spacing() = narrow(p.column_width);
    d.row_spacing() = narrow(p.row_height);
    d.west_x() = narrow(p.west + p.column_width / 2);
    d.south_y() = narrow(p.north - (double(layout.rows) - 0.5) * p.row_height);
    d.east_x() = narrow(p.west + (double(layout.columns) - 0.5) * p.column_width);
    d.north_y() = narrow(p.north - p.row_height / 2);
    d.null_value() = null_value_of(layout);
    d.rotation() = 0.0f;
    return GRIDLIB_OK;
}

std::optional<GridPlacement> read_placement(const std::string& grid_name, const DescriptorView&) {
    OpenImage image;
    if (open_image(grid_name, image) != 0) return std::nullopt;
    return image.place.placement;
}

bool in_longitude_latitude(const std::string& grid_name, const DescriptorView&) {
    OpenImage image;
    return open_image(grid_name, image) == 0 && geotiff::is_geographic_model(image.handle->get());
}

Status plan_rows(const RowRequest& request, rows::ReadPlan& plan) {
    const DescriptorView& d = request.d;
    OpenImage image;
    if (const Status s = open_image(request.grid_name, image); s != 0) return GRIDLIB_REFUSED;
    // A caller's own counts would send rows where the image has none.
    if (d.columns() != static_cast<std::int64_t>(image.layout.columns) ||
        d.rows() != static_cast<std::int64_t>(image.layout.rows))
        return GRIDLIB_REFUSED;
    // The nodata value is matched in the file's own type as rows are
    // decoded; a null value the caller set instead is matched too.
    if (d.null_value() != null_value_of(image.layout)) {
        plan.rules = rows::ValueRules::matching_null(d.null_value(), rows::kExactNullTolerance);
    }
    plan.rules.reverse = image.place.columns_from_east;
    plan.rules.add_scaling(d.base(), d.scale_divisor());
    plan.north_first = !image.place.rows_from_south;
    plan.data_name = image.file;
    plan.source = std::make_unique<geotiff::TiffRows>(image.file, image.layout, std::move(image.handle));
    return GRIDLIB_OK;
}

constexpr std::string_view kExtensions[] = {".tif", ".TIF"};
// Classic TIFF and BigTIFF, in either byte order.
constexpr std::string_view kSignatures[] = {{"II*\0", 4}, {"MM\0*", 4}, {"II+\0", 4}, {"MM\0+", 4}};

constexpr StatusWords kHeaderStatuses[] = {
    {GRIDLIB_TIFF_UNREADABLE, "the file is no TIFF file that libtiff can read, or its first image is damaged"},
    {GRIDLIB_TIFF_SAMPLES, "the GeoTIFF's values are not 8-, 16- or 32-bit integers or 32- or 64-bit reals"},
    {GRIDLIB_TIFF_LAYOUT,
     "the GeoTIFF's compression cannot be decoded here, its colours are subsampled, or its strips or tiles "
     "have no size"},
    {GRIDLIB_TIFF_NO_BAND, "the band selected after \"?\" is not a band of the GeoTIFF (bands count from 1)"},
    {GRIDLIB_TIFF_TOO_LARGE,
     "the GeoTIFF declares more than 2147483647 columns or rows, or more values than its file could hold"},
    {GRIDLIB_TIFF_ROTATED,
     "the GeoTIFF's placement rotates or shears the grid, which an image drawn north up cannot show"},
    {GRIDLIB_TIFF_CHUNKS_TOO_LARGE,
     "one of the GeoTIFF's tiles or rows would take more than 256 MB decoded, or a row of its tiles more than 1 GB"},
    {GRIDLIB_TIFF_NOT_FINITE,
     "the GeoTIFF's placement is not finite, or puts the grid beyond the coordinates a 32-bit real holds"},
    {GRIDLIB_TIFF_ZERO_CELL,
     "the GeoTIFF's pixel size is zero, or too small to tell its cells apart at their coordinates as 32-bit reals"},
    {GRIDLIB_NO_USABLE_SIZE, "the image has no columns or no rows"},
};

}  // namespace

extern constinit const Driver geotiff_driver{
    .format = FormatCode::geotiff,
    .name = "GeoTIFF",
    .cell_point = CellPoint::centre,
    .extensions = kExtensions,
    .signatures = kSignatures,
    .read_named_header = read_named_header,
    .read_placement = read_placement,
    .is_geographic = in_longitude_latitude,
    .plan_rows = plan_rows,
    .header_statuses = kHeaderStatuses,
    .row_failure_causes = "its strip or tile is missing, damaged or cannot be decoded",
};

}  // namespace gridlib::formats
