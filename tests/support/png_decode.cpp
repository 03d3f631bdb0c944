// libpng's reader, with errors returned instead of reported.
#include "support/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace gridlib::testing {
namespace {

[[noreturn]] void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore(png_structp, png_const_charp) {}

// Reads the image into out; false when libpng fails. No object with a
// destructor lives in this frame across the reads.
bool read_into(png_structp png, png_infop info, FILE* file, DecodedPng* out, std::vector<png_byte>* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->bit_depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    out->indexed = type == PNG_COLOR_TYPE_PALETTE;
    out->keyed = type == PNG_COLOR_TYPE_RGB;
    if (!out->indexed && type != PNG_COLOR_TYPE_RGB_ALPHA && type != PNG_COLOR_TYPE_RGB) return false;
    if (out->keyed) {
        // Red, green and blue, the key's pixels transparent and the others opaque.
        if (png_get_valid(png, info, PNG_INFO_tRNS)) {
            png_set_tRNS_to_alpha(png);
        } else {
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        }
        png_read_update_info(png, info);
    }
    if (out->indexed) {
        png_colorp colours = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &colours, &count);
        for (int i = 0; i < count; ++i) out->palette.push_back({colours[i].red, colours[i].green, colours[i].blue});
        png_bytep alpha = nullptr;
        int alpha_count = 0;
        if (png_get_tRNS(png, info, &alpha, &alpha_count, nullptr))
            for (int i = 0; i < alpha_count; ++i) out->palette_alpha.push_back(alpha[i]);
    }
    row->resize(png_get_rowbytes(png, info));
    for (std::uint32_t y = 0; y < out->height; ++y) {
        png_read_row(png, row->data(), nullptr);
        for (std::uint32_t x = 0; x < out->width; ++x) {
            if (out->indexed) {
                out->pixels.push_back((*row)[x]);
            } else {
                const png_byte* p = &(*row)[4 * x];
                out->pixels.push_back(rgba(p[0], p[1], p[2], p[3]));
            }
        }
    }
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

std::optional<DecodedPng> decode_png(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignore);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    DecodedPng out;
    std::vector<png_byte> row;
    const bool read = info && read_into(png, info, file.get(), &out, &row);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!read) return std::nullopt;
    return out;
}

}  // namespace gridlib::testing
