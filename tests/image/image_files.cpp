// Files of the image writer tests: working grids, expected BMP bytes, Pillow read-backs.
#include "image/image_files.h"

#include "grid/working_grid.h"
#include "support/png_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

namespace gridlib::testing {

void write_working_grid(const std::string& path, std::int32_t columns, const std::vector<float>& values,
                        std::int32_t order, std::size_t rows_written) {
    working_grid::Geometry g;
    g.columns = columns;
    g.rows = static_cast<std::int32_t>(values.size() / static_cast<std::size_t>(columns));
    auto header = working_grid::header_bytes(g);
    std::memcpy(header.data() + working_grid::kStorageOrderOffset, &order, 4);
    std::vector<std::byte> bytes(header.begin(), header.end());
    const auto width = static_cast<std::size_t>(columns);
    const std::size_t rows = static_cast<std::size_t>(g.rows);
    for (std::size_t s = 0; s < rows && s < rows_written; ++s) {
        const std::size_t from_north = order == working_grid::kNorthFirst ? s : rows - 1 - s;
        const std::size_t at = bytes.size();
        bytes.resize(at + 4 * width);
        std::memcpy(bytes.data() + at, values.data() + from_north * width, 4 * width);
    }
    write_file(path, bytes);
}

std::vector<std::byte> bmp_bytes(const ImagePixels& image) {
    const auto width = static_cast<std::uint32_t>(image.width), height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t pixel_bytes = image.bits / 8;
    const std::uint32_t line = (width * pixel_bytes + 3) / 4 * 4;
    const auto colours = static_cast<std::uint32_t>(image.palette.size());
    const std::uint32_t offset = 54 + 4 * colours;
    ByteWriter b;
    b.text("BM").i32(static_cast<std::int32_t>(offset + line * height)).i32(0).i32(static_cast<std::int32_t>(offset));
    b.i32(40).i32(image.width).i32(image.height).i16(1).i16(static_cast<std::int16_t>(image.bits));
    b.i32(0).i32(0).i32(4096).i32(4096).i32(static_cast<std::int32_t>(colours)).i32(static_cast<std::int32_t>(colours));
    std::vector<std::byte> bytes = b.bytes();
    for (const auto& [red, green, blue] : image.palette)
        for (int v : {blue, green, red, 0}) bytes.push_back(static_cast<std::byte>(v));
    for (std::uint32_t y = height; y-- > 0;) {
        std::vector<std::byte> row(line, std::byte{0});
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t p = image.pixels[std::size_t{y} * width + x];
            for (std::uint32_t i = 0; i < pixel_bytes; ++i)  // blue, green, red: the low byte first
                row[x * pixel_bytes + i] = static_cast<std::byte>(p >> (8 * i));
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

constexpr const char* kPython = "/usr/bin/python3";

bool pillow_available() {
    static const bool available = std::system((std::string(kPython) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0;
    return available;
}

std::string script() {
    const char* root = std::getenv("GRIDLIB_SOURCE_DIR");
    const std::filesystem::path base =
        root ? std::filesystem::path(root) : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return (base / "tools" / "image_pixels.py").string();
}

// An image as a reader library reads it: pixels, and the alpha of each.
struct ReadBack {
    ImagePixels image;
    std::vector<int> alpha;
};

// The image as Pillow reads it, the palette cut to the length of `like`'s;
// nothing when /usr/bin/python3 has no Pillow. The format must be `format`.
std::optional<ReadBack> read_with_pillow(const std::string& path, const ImagePixels& like,
                                            const std::string& format) {
    if (!pillow_available()) return std::nullopt;
    const std::string command = std::string(kPython) + " '" + script() + "' '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char chunk[4096];
    while (pipe && std::fgets(chunk, sizeof chunk, pipe.get())) text += chunk;

    std::istringstream lines(text);
    std::string header, palette, pixels, alpha;
    std::getline(lines, header);
    std::getline(lines, palette);
    std::getline(lines, pixels);
    std::getline(lines, alpha);
    ReadBack out;
    std::string seen_format, mode;
    std::istringstream(header) >> seen_format >> mode >> out.image.width >> out.image.height;
    if (seen_format != format) return out;  // compares unequal
    out.image.bits = mode == "P" ? 8 : 24;
    std::istringstream entries_in(palette);
    for (std::array<int, 3> e; out.image.palette.size() < like.palette.size() && entries_in >> e[0] >> e[1] >> e[2];)
        out.image.palette.push_back(e);
    std::istringstream pixels_in(pixels);
    for (std::uint32_t p; pixels_in >> p;) out.image.pixels.push_back(p);
    std::istringstream alpha_in(alpha);
    for (int a; alpha_in >> a;) out.alpha.push_back(a);
    return out;
}

// The PNG as libpng reads it, in the terms of ImagePixels, and the alpha of each pixel.
ReadBack read_with_libpng(const std::string& path) {
    ReadBack out;
    const auto png = decode_png(path);
    EXPECT_TRUE(png) << path;
    if (!png) return out;
    EXPECT_EQ(png->bit_depth, 8);
    out.image.width = static_cast<std::int32_t>(png->width);
    out.image.height = static_cast<std::int32_t>(png->height);
    out.image.bits = png->indexed ? 8 : 24;
    out.image.palette = png->palette;
    for (const std::uint32_t p : png->pixels) {
        if (png->indexed) {
            out.image.pixels.push_back(p);
            out.alpha.push_back(p < png->palette_alpha.size() ? png->palette_alpha[p] : 255);
        } else {
            out.image.pixels.push_back(p >> 8);
            out.alpha.push_back(static_cast<int>(p & 0xFFu));
        }
    }
    return out;
}

}  // namespace

void expect_bmp_file(const std::string& path, const ImagePixels& expected) {
    EXPECT_EQ(read_file(path), bmp_bytes(expected));
    const auto seen = read_with_pillow(path, expected, "BMP");
    if (!seen) GTEST_SKIP() << "no Pillow for /usr/bin/python3: the read-back is left out";
    EXPECT_EQ(seen->image, expected) << "as Pillow reads it";
}

void expect_png_file(const std::string& path, const ImagePixels& expected, const std::vector<int>& alpha) {
    const ReadBack decoded = read_with_libpng(path);
    EXPECT_EQ(decoded.image, expected) << "as libpng reads it";
    EXPECT_EQ(decoded.alpha, alpha) << "as libpng reads it";
    const auto seen = read_with_pillow(path, expected, "PNG");
    if (!seen) GTEST_SKIP() << "no Pillow for /usr/bin/python3: the read-back is left out";
    EXPECT_EQ(seen->image, expected) << "as Pillow reads it";
    EXPECT_EQ(seen->alpha, alpha) << "as Pillow reads it";
}

}  // namespace gridlib::testing
