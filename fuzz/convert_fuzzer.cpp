// Fuzzes the whole conversion as a caller of the one-call routine makes it:
// the input's first 32 bytes choose the options (raw reals for the limits
// and the light, a width of any sign, flags for every side output), the
// rest is the grid file, then after lines "%%" a palette file and a
// histogram file to draw through. Outputs go into one scratch folder, so
// that each run replaces the last one's as a user's second run would.
#include "fuzz_files.h"

#include "gridlib.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using gridlib::fuzz::scratch_file;

// The option bytes' layout.
struct Choices {
    static constexpr std::size_t kBytes = 32;
    std::uint8_t grid_kind, output_kind, distribution, flags, palette_kind;
    std::int32_t width;
    float lower, upper, azimuth, elevation, exaggeration;

    explicit Choices(const std::uint8_t* data) {
        grid_kind = data[0];
        output_kind = data[1];
        distribution = data[2];
        flags = data[3];
        palette_kind = data[4];
        std::memcpy(&width, data + 8, 4);
        std::memcpy(&lower, data + 12, 4);
        std::memcpy(&upper, data + 16, 4);
        std::memcpy(&azimuth, data + 20, 4);
        std::memcpy(&elevation, data + 24, 4);
        std::memcpy(&exaggeration, data + 28, 4);
    }
};

enum Flag : std::uint8_t {
    invert = 1,
    shade = 2,
    world_file = 4,
    colour_bar = 8,
    bar_as_png = 16,
    keep_scale = 32,
    histogram_file = 64,
    limits = 128
};

// Names by extension, and a neutral one that leaves the format to the first bytes.
constexpr std::array kGridNames{"grid.asc", "grid.grd", "grid.gxf", "grid.dat", "grid.tif", "grid.nc", "grid.bil"};
constexpr std::array kOutputNames{"out.bmp", "out.png", "out.tif", "tiles"};

// Splits off the text before the next line "%%".
std::string_view take_part(std::string_view& rest) {
    const auto cut = rest.find("\n%%\n");
    const std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 4);
    return part;
}

// The grid's columns and rows as its header gives them; none when it cannot be read.
struct Size {
    double columns = 0, rows = 0;
};
Size size_of(const std::string& grid) {
    std::int32_t ihead[GRIDLIB_IHEAD_SIZE] = {};
    float rhead[GRIDLIB_RHEAD_SIZE] = {};
    constexpr std::int32_t band_length = 16;
    char chead[GRIDLIB_BAND_NAMES * band_length] = {};
    const std::int32_t length = static_cast<std::int32_t>(grid.size());
    std::int32_t status = GRIDLIB_OK;
    GRDRDH(grid.c_str(), &length, ihead, rhead, chead, &band_length, &status);
    if (status < 0) return {};
    return {double(ihead[GRIDLIB_COLUMNS]), double(ihead[GRIDLIB_ROWS])};
}

void set_text(const std::string& text, const char*& field, std::int32_t& length) {
    field = text.c_str();
    length = static_cast<std::int32_t>(text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < Choices::kBytes) return 0;
    const Choices c(data);
    std::string_view rest = gridlib::fuzz::as_text(data + Choices::kBytes, size - Choices::kBytes);
    const std::string_view grid_bytes = take_part(rest), palette_bytes = take_part(rest),
                           histogram_bytes = take_part(rest);

    const std::string grid = scratch_file(kGridNames[c.grid_kind % kGridNames.size()]);
    gridlib::fuzz::write_whole(grid, grid_bytes);
    // A BIL grid keeps its header beside the values: the palette part stands in.
    gridlib::fuzz::write_whole(scratch_file("grid.hdr"), palette_bytes);
    // A grid that is large and valid only costs time: kept to what draws quickly.
    const Size grid_size = size_of(grid);
    if (grid_size.columns * grid_size.rows > double(1 << 20)) return 0;

    gridlib_convert_options o;
    gridlib_convert_defaults(&o);
    o.distribution = c.distribution % 4;  // 3: no distribution the library knows
    o.invert = (c.flags & invert) != 0;
    // An enlarged image grows with the square of the width: kept to a few million pixels.
    o.width = c.width % 4096;
    if (o.width > 0 && grid_size.columns > 0 &&
        double(o.width) * double(o.width) * grid_size.rows / grid_size.columns > double(1 << 22))
        o.width = -1;
    if (c.flags & limits) {
        o.lower = c.lower;
        o.upper = c.upper;
    }
    o.shade = (c.flags & shade) != 0;
    o.azimuth = c.azimuth;
    o.elevation = c.elevation;
    o.exaggeration = c.exaggeration;
    o.world_file = (c.flags & world_file) != 0;

    const std::string histogram = scratch_file("levels.his");
    gridlib::fuzz::write_whole(histogram, histogram_bytes);
    if (c.flags & histogram_file) set_text(histogram, o.histogram_file, o.histogram_file_length);
    // A named palette, a colour-relief file or a GMT table.
    const std::string palette = c.palette_kind % 4 == 1   ? std::string("viridis")
                                : c.palette_kind % 4 == 2 ? scratch_file("colours.txt")
                                                          : scratch_file("colours.cpt");
    if (c.palette_kind % 4 != 0) {
        if (c.palette_kind % 4 != 1) gridlib::fuzz::write_whole(palette, palette_bytes);
        set_text(palette, o.palette, o.palette_length);
    }
    const std::string bar = scratch_file(c.flags & bar_as_png ? "bar.png" : "bar.svg");
    if (c.flags & colour_bar) set_text(bar, o.colour_bar, o.colour_bar_length);
    const std::string kept = scratch_file("kept.his");
    if (c.flags & keep_scale) set_text(kept, o.keep_scale, o.keep_scale_length);
    const std::size_t output_kind = c.output_kind % kOutputNames.size();
    o.tiles = kOutputNames[output_kind] == std::string_view("tiles");

    const std::string output = scratch_file(kOutputNames[output_kind]);
    const std::int32_t input_length = static_cast<std::int32_t>(grid.size()),
                       output_length = static_cast<std::int32_t>(output.size());
    char error_text[4096];
    const std::int32_t error_length = sizeof error_text;
    std::int32_t status = GRIDLIB_OK;
    gridlib_convert(grid.c_str(), &input_length, output.c_str(), &output_length, &o, error_text, &error_length,
                    &status);
    // A failure always has its words; a success none.
    if ((status == GRIDLIB_OK) != (error_text[0] == '\0')) __builtin_trap();
    return 0;
}
