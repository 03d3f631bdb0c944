// The grid descriptor: the one record every grid routine shares. It travels
// through the C interface as three caller-owned arrays (integers, reals, band
// names); DescriptorView names their entries so that no other code indexes the
// arrays. Where each entry lies is written once, in the public header.
#pragma once

#include "gridlib.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace gridlib {

inline constexpr std::size_t kIntegerEntries = GRIDLIB_IHEAD_SIZE;
inline constexpr std::size_t kRealEntries = GRIDLIB_RHEAD_SIZE;
inline constexpr std::size_t kBandNames = GRIDLIB_BAND_NAMES;
static_assert(GRIDLIB_ROWS_READ + 1 == kIntegerEntries && GRIDLIB_INPUT_GEOMETRY + 6 == kRealEntries);

// The null value of the working grid (bit pattern F49DC5AE) and the threshold
// at or below which a value counts as null.
inline constexpr float kNullValue = GRIDLIB_NULL_VALUE;
inline constexpr float kNullThreshold = GRIDLIB_NULL_THRESHOLD;
inline bool is_valid(float v) { return v > kNullThreshold; }

enum class FormatCode : std::int32_t {
    none = GRIDLIB_FORMAT_NONE,
    er_mapper = GRIDLIB_FORMAT_ER_MAPPER,
    binary_512 = GRIDLIB_FORMAT_BINARY_512,
    gxf = GRIDLIB_FORMAT_GXF,
    pcidsk = GRIDLIB_FORMAT_PCIDSK,
    bil = GRIDLIB_FORMAT_BIL,
    bip = GRIDLIB_FORMAT_BIP,
    grid_text = GRIDLIB_FORMAT_GRID_TEXT,
    bgd = GRIDLIB_FORMAT_BGD,
    esri_ascii = GRIDLIB_FORMAT_ESRI_ASCII,
    binary_24 = GRIDLIB_FORMAT_BINARY_24,
    tool = GRIDLIB_FORMAT_TOOL,
    k_blocks = GRIDLIB_FORMAT_K_BLOCKS,
    surfer6 = GRIDLIB_FORMAT_SURFER6,
    surfer7 = GRIDLIB_FORMAT_SURFER7,
    geotiff = GRIDLIB_FORMAT_GEOTIFF,
    netcdf = GRIDLIB_FORMAT_NETCDF,
};

// The codes of gridlib.h, typed, for the header readers that set them.
enum class StorageOrder : std::int32_t {
    rows_from_south_west = GRIDLIB_ROWS_FROM_SOUTH_WEST,
    columns_from_south_west = GRIDLIB_COLUMNS_FROM_SOUTH_WEST,
    columns_from_north_west = GRIDLIB_COLUMNS_FROM_NORTH_WEST,
    rows_from_north_west = GRIDLIB_ROWS_FROM_NORTH_WEST,
    rows_from_north_east = GRIDLIB_ROWS_FROM_NORTH_EAST,
    columns_from_north_east = GRIDLIB_COLUMNS_FROM_NORTH_EAST,
    columns_from_south_east = GRIDLIB_COLUMNS_FROM_SOUTH_EAST,
    rows_from_south_east = GRIDLIB_ROWS_FROM_SOUTH_EAST,
};

enum class ByteOrder : std::int32_t {
    least_significant_first = GRIDLIB_LEAST_SIGNIFICANT_FIRST,
    most_significant_first = GRIDLIB_MOST_SIGNIFICANT_FIRST,
    least_significant_first_always = GRIDLIB_LEAST_SIGNIFICANT_FIRST_ALWAYS,
};

// The binary formats' value-type word: element size in bytes.
enum class ElementSize : std::int32_t {
    as_text = GRIDLIB_ELEMENTS_AS_TEXT,
    int16 = GRIDLIB_ELEMENT_INT16,
    real32 = GRIDLIB_ELEMENT_REAL32,
    real64 = GRIDLIB_ELEMENT_REAL64,
};

// Byte images: described by their headers, but not read into a working grid.
// Which formats they are is their drivers' business: the format registry
// (formats/registry.cpp) answers.
bool is_byte_image(FormatCode f);

class DescriptorView {
public:
    // band_names may be null (routines that do not take them); it then holds
    // no names and band-name writes are ignored.
    DescriptorView(std::int32_t* ihead, float* rhead, char* band_names = nullptr,
                   std::size_t band_name_length = 0)
        : ihead_(ihead), rhead_(rhead), band_names_(band_names), band_name_length_(band_name_length) {}

    // --- integer part -----------------------------------------------------
    // Several words mean something of their own to a format family (an ESRI
    // ASCII grid counts header lines in the data offset, for instance); each
    // family's driver names those meanings where it reads and writes them.
    std::int32_t& format_code() { return i(GRIDLIB_FORMAT); }
    FormatCode format() const { return static_cast<FormatCode>(ci(GRIDLIB_FORMAT)); }
    void set_format(FormatCode f) { i(GRIDLIB_FORMAT) = static_cast<std::int32_t>(f); }
    std::int32_t& band_count() { return i(GRIDLIB_BAND_COUNT); }
    std::int32_t& selected_band() { return i(GRIDLIB_SELECTED_BAND); }
    std::int32_t& data_offset() { return i(GRIDLIB_DATA_OFFSET); }
    std::int32_t& value_type() { return i(GRIDLIB_VALUE_TYPE); }
    std::int32_t& storage_order() { return i(GRIDLIB_STORAGE_ORDER); }
    void set_storage_order(StorageOrder o) { storage_order() = static_cast<std::int32_t>(o); }
    std::int32_t& byte_order() { return i(GRIDLIB_BYTE_ORDER); }
    void set_byte_order(ByteOrder b) { byte_order() = static_cast<std::int32_t>(b); }
    std::int32_t& columns() { return i(GRIDLIB_COLUMNS); }
    std::int32_t& rows() { return i(GRIDLIB_ROWS); }
    std::int32_t& window_word(int k) { return i(GRIDLIB_WINDOW_WORDS + k); }  // k = 0..3
    // The line width the image writer is asked for (0 = one pixel per column).
    std::int32_t& image_width() { return i(GRIDLIB_IMAGE_WIDTH); }
    std::int32_t& columns_read() { return i(GRIDLIB_COLUMNS_READ); }
    std::int32_t& rows_read() { return i(GRIDLIB_ROWS_READ); }

    std::int32_t format_code() const { return ci(GRIDLIB_FORMAT); }
    std::int32_t band_count() const { return ci(GRIDLIB_BAND_COUNT); }
    std::int32_t selected_band() const { return ci(GRIDLIB_SELECTED_BAND); }
    std::int32_t data_offset() const { return ci(GRIDLIB_DATA_OFFSET); }
    std::int32_t value_type() const { return ci(GRIDLIB_VALUE_TYPE); }
    std::int32_t storage_order() const { return ci(GRIDLIB_STORAGE_ORDER); }
    std::int32_t byte_order() const { return ci(GRIDLIB_BYTE_ORDER); }
    std::int32_t columns() const { return ci(GRIDLIB_COLUMNS); }
    std::int32_t rows() const { return ci(GRIDLIB_ROWS); }
    std::int32_t image_width() const { return ci(GRIDLIB_IMAGE_WIDTH); }
    std::int32_t columns_read() const { return ci(GRIDLIB_COLUMNS_READ); }
    std::int32_t rows_read() const { return ci(GRIDLIB_ROWS_READ); }
    bool most_significant_first() const { return byte_order() == GRIDLIB_MOST_SIGNIFICANT_FIRST; }

    // --- real part --------------------------------------------------------
    float& west_x() { return r(GRIDLIB_WEST_X); }
    float& east_x() { return r(GRIDLIB_EAST_X); }
    float& south_y() { return r(GRIDLIB_SOUTH_Y); }
    float& north_y() { return r(GRIDLIB_NORTH_Y); }
    float& column_spacing() { return r(GRIDLIB_COLUMN_SPACING); }
    float& row_spacing() { return r(GRIDLIB_ROW_SPACING); }
    float& null_value() { return r(GRIDLIB_NULL); }
    // real value = stored value / scale_divisor + base
    float& base() { return r(GRIDLIB_BASE); }
    float& scale_divisor() { return r(GRIDLIB_SCALE_DIVISOR); }
    float& data_min() { return r(GRIDLIB_DATA_MIN); }
    float& data_max() { return r(GRIDLIB_DATA_MAX); }
    float& mean() { return r(GRIDLIB_MEAN); }
    float& std_dev() { return r(GRIDLIB_STD_DEV); }
    float& colour_min() { return r(GRIDLIB_COLOUR_MIN); }
    float& colour_max() { return r(GRIDLIB_COLOUR_MAX); }
    float& rotation() { return r(GRIDLIB_ROTATION); }
    // Copy of the input geometry (west, east, south, north, spacings) made at
    // the end of every header reading; k = 0..5.
    float& input_geometry(int k) { return r(GRIDLIB_INPUT_GEOMETRY + k); }

    float west_x() const { return cr(GRIDLIB_WEST_X); }
    float east_x() const { return cr(GRIDLIB_EAST_X); }
    float south_y() const { return cr(GRIDLIB_SOUTH_Y); }
    float north_y() const { return cr(GRIDLIB_NORTH_Y); }
    float column_spacing() const { return cr(GRIDLIB_COLUMN_SPACING); }
    float row_spacing() const { return cr(GRIDLIB_ROW_SPACING); }
    float null_value() const { return cr(GRIDLIB_NULL); }
    float base() const { return cr(GRIDLIB_BASE); }
    float scale_divisor() const { return cr(GRIDLIB_SCALE_DIVISOR); }
    float data_min() const { return cr(GRIDLIB_DATA_MIN); }
    float data_max() const { return cr(GRIDLIB_DATA_MAX); }
    float mean() const { return cr(GRIDLIB_MEAN); }
    float std_dev() const { return cr(GRIDLIB_STD_DEV); }
    float colour_min() const { return cr(GRIDLIB_COLOUR_MIN); }
    float colour_max() const { return cr(GRIDLIB_COLOUR_MAX); }
    float rotation() const { return cr(GRIDLIB_ROTATION); }
    float input_geometry(int k) const { return cr(GRIDLIB_INPUT_GEOMETRY + k); }

    // east = west + (columns - 1) * column spacing, north likewise; formed in
    // double and stored as float, as the headers' own arithmetic does.
    void derive_east_from_columns() {
        east_x() = to_float(double(west_x()) + (double(columns()) - 1) * column_spacing());
    }
    void derive_north_from_rows() {
        north_y() = to_float(double(south_y()) + (double(rows()) - 1) * row_spacing());
    }
    // For headers that state the northern row: south = north - (rows - 1) * row spacing.
    void derive_south_from_rows() {
        south_y() = to_float(double(north_y()) - (double(rows()) - 1) * row_spacing());
    }
    // A double stored as float; beyond the float range it becomes an infinity
    // of its sign rather than undefined behaviour.
    static float to_float(double v) {
        constexpr double kMax = 3.4028234663852886e38;
        if (v > kMax) return std::numeric_limits<float>::infinity();
        if (v < -kMax) return -std::numeric_limits<float>::infinity();
        return static_cast<float>(v);
    }
    // Sets data range, mean and deviation (entries 10 to 13) to one value.
    void set_statistics_to(float v) { data_min() = data_max() = mean() = std_dev() = v; }

    // --- band names (index 0 = the first band) ------------------------------
    std::size_t band_name_length() const { return band_names_ ? band_name_length_ : 0; }
    void set_band_name(std::size_t index, std::string_view name) {
        if (!band_names_ || index >= kBandNames) return;
        char* slot = band_names_ + index * band_name_length_;
        const std::size_t n = std::min(name.size(), band_name_length_);
        std::copy_n(name.data(), n, slot);
        std::fill(slot + n, slot + band_name_length_, ' ');
    }
    std::string_view band_name(std::size_t index) const {
        if (!band_names_ || index >= kBandNames) return {};
        return {band_names_ + index * band_name_length_, band_name_length_};
    }

private:
    std::int32_t& i(int at) { return ihead_[at]; }
    float& r(int at) { return rhead_[at]; }
    std::int32_t ci(int at) const { return ihead_[at]; }
    float cr(int at) const { return rhead_[at]; }

    std::int32_t* ihead_;
    float* rhead_;
    char* band_names_;
    std::size_t band_name_length_;
};

// A descriptor that owns its arrays, for C++ callers and tests.
struct GridDescriptor {
    explicit GridDescriptor(std::size_t band_name_length = 512)
        : band_names(kBandNames * band_name_length, ' '), band_name_length(band_name_length) {}
    std::array<std::int32_t, kIntegerEntries> ihead{};
    std::array<float, kRealEntries> rhead{};
    std::vector<char> band_names;
    std::size_t band_name_length;

    DescriptorView view() { return {ihead.data(), rhead.data(), band_names.data(), band_name_length}; }
};

}  // namespace gridlib
