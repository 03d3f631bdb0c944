// A fuzz input read as a working grid file whose 512-byte header also gives
// the descriptor the routines are called with: the targets of the image
// writers, the histogram and the gradient writer share this layout, so that
// one corpus serves them all.
#pragma once

#include "valid_images.h"

#include "descriptor/grid_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace gridlib::fuzz {

// Little-endian words of the header at byte offsets; the input holds at
// least kBytes.
class HeaderWords {
public:
    static constexpr std::size_t kBytes = 512;

    explicit HeaderWords(const std::uint8_t* data) : data_(data) {}
    std::uint8_t byte(std::size_t at) const { return data_[at]; }
    std::int32_t word(std::size_t at) const { return get<std::int32_t>(at); }
    float real(std::size_t at) const { return get<float>(at); }
    float real64(std::size_t at) const { return DescriptorView::to_float(get<double>(at)); }

private:
    template <typename T>
    T get(std::size_t at) const {
        T v;
        std::memcpy(&v, data_ + at, sizeof v);
        return v;
    }
    const std::uint8_t* data_;
};

// Sets the descriptor's words from the header: the format from the byte at
// format_byte (mostly the working grid's own; now and then a byte image,
// which every writer refuses), the size (words at 8 and 12, whatever the
// file's length), the colour limits (188 and 192) and the requested width
// (196), kept to one pixel per column when an image that large would be
// drawn in full (valid_images.h).
inline void describe_working_grid(DescriptorView d, const HeaderWords& h, std::size_t format_byte,
                                  const std::string& image, std::size_t input_size) {
    const std::uint8_t format = h.byte(format_byte);
    d.format_code() = format < 240 ? static_cast<std::int32_t>(FormatCode::binary_512) : format - 240;
    d.columns() = h.word(8);
    d.rows() = h.word(12);
    d.colour_min() = h.real(188);
    d.colour_max() = h.real(192);
    d.image_width() = h.word(196);
    if (large_valid_image(image, input_size, d.columns(), d.rows(), d.image_width())) d.image_width() = 0;
}

// describe_working_grid for the writers that draw the grid's values: null
// cells hold the null value, the data range is the reals at 160 and 164.
inline void describe_drawn_grid(DescriptorView d, const HeaderWords& h, const std::string& image,
                                std::size_t input_size) {
    describe_working_grid(d, h, 203, image, input_size);
    d.null_value() = kNullValue;
    d.data_min() = h.real(160);
    d.data_max() = h.real(164);
}

}  // namespace gridlib::fuzz
