// The grid descriptor: the one record every grid routine shares. It travels
// through the C interface as three caller-owned arrays (integers, reals, band
// names); DescriptorView names their entries so that no other code indexes the
// arrays by number. The entry numbering of the arrays lives here and nowhere else.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace gridlib {

inline constexpr std::size_t kIntegerEntries = 15;
inline constexpr std::size_t kRealEntries = 22;
inline constexpr std::size_t kBandNames = 16;

// The null value of the working grid (bit pattern F49DC5AE) and the threshold
// at or below which a value counts as null.
inline constexpr float kNullValue = -1.0e32f;
inline constexpr float kNullThreshold = -1.0e30f;
inline bool is_valid(float v) { return v > kNullThreshold; }

enum class FormatCode : std::int32_t {
    none = 0,
    er_mapper = 1,       // ".ers" text header with a separate data file
    binary_512 = 2,      // 512-byte header, or big-endian record-framed variant
    gxf = 3,             // GXF text grid, plain or compressed
    pcidsk = 4,          // PCIDSK byte image
    bil = 5,             // band interleaved by line, ".hdr" header
    bip = 6,             // band interleaved by pixel, ".hdr" header
    grid_text = 7,       // "$$GRID$$" character-coded text grid
    bgd = 8,             // "$$BGD" big-endian binary grid
    esri_ascii = 9,      // ESRI ASCII grid
    binary_24 = 10,      // 24-byte real-valued header
    tool = 11,           // "TOOL" signature
    k_blocks = 12,       // first byte "K", 16-bit values in blocks of 64
    surfer6 = 13,        // "DSBB"
    surfer7 = 14,        // "DSRB"
};

// Byte images: described by their headers, but not read into a working grid.
inline bool is_byte_image(FormatCode f) {
    return f == FormatCode::pcidsk || f == FormatCode::bil || f == FormatCode::bip;
}

class DescriptorView {
public:
    // band_names may be null (routines that do not take them); it then holds
    // no names and band-name writes are ignored.
    DescriptorView(std::int32_t* ihead, float* rhead, char* band_names = nullptr,
                   std::size_t band_name_length = 0)
        : ihead_(ihead), rhead_(rhead), band_names_(band_names), band_name_length_(band_name_length) {}

    // --- integer part -----------------------------------------------------
    std::int32_t& format_code() { return i(1); }
    FormatCode format() const { return static_cast<FormatCode>(ci(1)); }
    void set_format(FormatCode f) { i(1) = static_cast<std::int32_t>(f); }
    // Band count; format 2 uses it as its variant flag (1 = record-framed).
    std::int32_t& band_count() { return i(2); }
    std::int32_t& selected_band() { return i(3); }
    // Binary formats: byte offset of the first value. ESRI ASCII: header lines
    // before the first data line. "$$GRID$$": line layout mode.
    std::int32_t& header_bytes() { return i(4); }
    std::int32_t& value_type() { return i(5); }
    // Storage order code +-1..+-4 (format 1: 1 or -2; "$$GRID$$": extra header lines).
    std::int32_t& storage_order() { return i(6); }
    // 1 = elements stored most significant byte first.
    std::int32_t& byte_order() { return i(7); }
    std::int32_t& columns() { return i(8); }
    std::int32_t& rows() { return i(9); }
    std::int32_t& window_word(int k) { return i(10 + k); }  // k = 0..3: entries 10..13
    // The line width the image writer is asked for (0 = one pixel per column).
    std::int32_t& image_width() { return i(13); }
    std::int32_t& columns_copy() { return i(14); }
    std::int32_t& rows_copy() { return i(15); }

    std::int32_t format_code() const { return ci(1); }
    std::int32_t band_count() const { return ci(2); }
    std::int32_t selected_band() const { return ci(3); }
    std::int32_t header_bytes() const { return ci(4); }
    std::int32_t value_type() const { return ci(5); }
    std::int32_t storage_order() const { return ci(6); }
    std::int32_t byte_order() const { return ci(7); }
    std::int32_t columns() const { return ci(8); }
    std::int32_t rows() const { return ci(9); }
    std::int32_t image_width() const { return ci(13); }
    std::int32_t columns_copy() const { return ci(14); }
    std::int32_t rows_copy() const { return ci(15); }
    bool most_significant_first() const { return ci(7) == 1; }

    // --- real part --------------------------------------------------------
    float& west_x() { return r(1); }
    float& east_x() { return r(2); }
    float& south_y() { return r(3); }
    float& north_y() { return r(4); }
    float& column_spacing() { return r(5); }
    float& row_spacing() { return r(6); }
    float& null_value() { return r(7); }
    // real value = stored value / scale_divisor + base
    float& base() { return r(8); }
    float& scale_divisor() { return r(9); }
    float& data_min() { return r(10); }
    float& data_max() { return r(11); }
    float& mean() { return r(12); }
    float& std_dev() { return r(13); }
    float& colour_min() { return r(14); }
    float& colour_max() { return r(15); }
    float& rotation() { return r(16); }
    // Copy of the input geometry (west, east, south, north, spacings) made at
    // the end of every header reading; k = 0..5.
    float& input_geometry(int k) { return r(17 + k); }

    float west_x() const { return cr(1); }
    float east_x() const { return cr(2); }
    float south_y() const { return cr(3); }
    float north_y() const { return cr(4); }
    float column_spacing() const { return cr(5); }
    float row_spacing() const { return cr(6); }
    float null_value() const { return cr(7); }
    float base() const { return cr(8); }
    float scale_divisor() const { return cr(9); }
    float data_min() const { return cr(10); }
    float data_max() const { return cr(11); }
    float mean() const { return cr(12); }
    float std_dev() const { return cr(13); }
    float colour_min() const { return cr(14); }
    float colour_max() const { return cr(15); }
    float rotation() const { return cr(16); }
    float input_geometry(int k) const { return cr(17 + k); }

    // east = west + (columns - 1) * column spacing, north likewise; formed in
    // double and stored as float, as the headers' own arithmetic does.
    void derive_east_from_columns() {
        east_x() = to_float(double(west_x()) + (double(columns()) - 1) * column_spacing());
    }
    void derive_north_from_rows() {
        north_y() = to_float(double(south_y()) + (double(rows()) - 1) * row_spacing());
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
    std::int32_t& i(int n) { return ihead_[n - 1]; }
    float& r(int n) { return rhead_[n - 1]; }
    std::int32_t ci(int n) const { return ihead_[n - 1]; }
    float cr(int n) const { return rhead_[n - 1]; }

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
