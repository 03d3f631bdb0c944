// Rows of byte images: one unsigned byte per band and cell, the bands of a
// row arranged in one of four ways, and up to three bands of a row unpacked
// into arrays of 16-bit values. Which arrangement a file has is its format's
// business (its driver describes it); here the bytes are found and unpacked.
#pragma once

#include "platform/file.h"
#include "rows/row_source.h"

#include <cstdint>
#include <span>

namespace gridlib::formats {

enum class BandArrangement {
    pixel_interleaved,  // value i of band b is byte i * bands + (b - 1) of the row
    line_interleaved,   // the row holds the bands one after another
    band_sequential,    // each band is an image of its own, band after band
    single_band,        // the row holds one band, whatever band is asked for
};

struct ByteImageLayout {
    BandArrangement arrangement = BandArrangement::line_interleaved;
    std::int64_t data_offset = 0;  // the image's first byte
    std::int64_t columns = 0;      // values per row of a band
    std::int64_t bands = 0;
    std::int64_t rows = 0;         // rows of each band, for band_sequential
    std::int64_t row_bytes = 0;    // bytes from one stored row to the next (of one band, for band_sequential)
};

// An array to fill with one band's values, the band numbered from 1. A band
// outside 1..bands leaves its array untouched; single_band fills the first
// array whatever its band.
struct BandArray {
    std::int32_t band = 0;
    std::uint16_t* values = nullptr;  // room for the layout's columns
};

// Reads stored row `row` (1 = the first) and fills the arrays. GRIDLIB_OK, or
// GRIDLIB_REFUSED: a negative size or offset in the layout, a row below 1, no
// array where a band is to go, or a file that ends before the last value
// unpacked (padding after the last value is never needed) or cannot be read.
rows::Status read_byte_image_row(const platform::BorrowedDescriptor& file, const ByteImageLayout& layout,
                           std::int64_t row, std::span<const BandArray> arrays);

}  // namespace gridlib::formats
