// Times the image writers on one large working grid: the palette writer's
// PNG, the gradient writer, the shaded relief writer (8-bit and 24-bit) on
// its slope codes and the user colour writer (computed and direct colours),
// as BMP and as PNG, against the palette writer's BMP of the same grid.
//
// Usage: image_bench [size] [dir]   (default 4000, a fresh temp dir)
#include "bench_support.h"
#include "colour/colour_map.h"
#include "descriptor/grid_descriptor.h"
#include "grid/working_grid.h"
#include "image/gradient_writer.h"
#include "image/palette_writer.h"
#include "image/shaded_writer.h"
#include "image/user_colour_writer.h"
#include "platform/file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace gridlib;
using Clock = std::chrono::steady_clock;

struct Timing {
    double wall = 1e300, cpu = 1e300;  // seconds
};

// The process's user and system time so far, in seconds.
double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Best of several runs: the first warms the page cache. The processor time
// is given beside the wall time because it suffers less when other work
// shares the machine.
Timing best_of(int runs, const std::function<std::int32_t()>& work) {
    Timing best;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        const double c0 = cpu_seconds();
        if (const std::int32_t status = work(); status != GRIDLIB_OK) {
            std::fprintf(stderr, "status %d\n", status);
            std::exit(1);
        }
        best.cpu = std::min(best.cpu, cpu_seconds() - c0);
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return best;
}

double surface(int r, int c) { return 350 * std::sin(c / 97.0) * std::cos(r / 131.0) + 0.05 * (r + c); }

// A smooth surface with a block of null cells, northern row first.
void write_grid(int n, const std::string& grid) {
    working_grid::Geometry g;
    g.columns = g.rows = n;
    const auto header = working_grid::header_bytes(g);
    std::vector<std::byte> bytes(header.begin(), header.end());
    std::vector<float> row(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const bool hole = r > n / 3 && r < n / 3 + 40 && c > n / 2 && c < n / 2 + 60;
            row[static_cast<std::size_t>(c)] = hole ? kNullValue : static_cast<float>(surface(r, c));
        }
        const auto* p = reinterpret_cast<const std::byte*>(row.data());
        bytes.insert(bytes.end(), p, p + 4 * row.size());
    }
    bench::write_all(grid, bytes);
}

// One line of the table: the times, their ratios to the reference, and the
// size of the image file written.
void report(const std::string& what, const Timing& t, const Timing& reference, const std::string& image) {
    std::printf("%-42s %7.3f s %5.2f x   %7.3f s %5.2f x   %7.1f\n", what.c_str(), t.wall, t.wall / reference.wall,
                t.cpu, t.cpu / reference.cpu, static_cast<double>(std::filesystem::file_size(image)) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const bench::Arguments arguments(argc, argv, "image-bench");
    const int n = arguments.size();
    const std::string grid = arguments.file("work.tmp"), gradient = arguments.file("gradient.tmp"),
                      bmp = arguments.file("image.bmp"), png = arguments.file("image.png");
    write_grid(n, grid);
    const int runs = 9;
    std::printf("working grid %d x %d; best of %d runs, and the ratio to the palette writer's BMP\n", n, n, runs);
    std::printf("%-42s %17s   %17s   %7s\n", "", "wall time", "processor time", "MB");

    GridDescriptor desc;
    auto d = desc.view();
    d.set_format(FormatCode::binary_512);
    d.columns() = d.rows() = n;
    d.column_spacing() = d.row_spacing() = 25.0f;
    d.colour_min() = -400.0f;
    d.colour_max() = 800.0f;
    std::array<std::int32_t, kLevels> levels;
    for (std::size_t k = 0; k < kLevels; ++k) levels[k] = static_cast<std::int32_t>(kLevels - k);
    std::array<std::int32_t, kColourTableValues> colour_values{};
    const std::int32_t colour_count = build_colour_table(
        5, {}, {}, {}, 0, ColourTableView(std::span<std::int32_t, kColourTableValues>(colour_values)));
    const ConstColourTableView colour_table{std::span<const std::int32_t, kColourTableValues>(colour_values)};

    // Each writer as BMP and as PNG; the first timed, the palette writer's
    // BMP, is the reference.
    std::optional<Timing> reference;
    auto both_formats = [&](const std::string& what, const std::function<std::int32_t(const std::string&)>& write) {
        for (const std::string& image : {bmp, png}) {
            const Timing t = best_of(runs, [&] { return write(image); });
            if (!reference) reference = t;
            report(what + (image == png ? ", PNG" : ""), t, *reference, image);
        }
    };
    both_formats("palette writer (8-bit, level table)", [&](const std::string& image) {
        return write_palette_image(grid, image, d, 2, levels, colour_count, colour_table, image_format_of(image));
    });

    std::array<float, kSlopeSteps> slopes;
    const Timing slope_codes = best_of(runs, [&] { return write_gradient_file(grid, gradient, d, 1.0f, slopes); });
    report("gradient writer", slope_codes, *reference, gradient);
    const Lighting light{-0.5f, 0.5f, 0.7071f, 0.4071f, 1.0071f};
    ShadedColours shaded;
    shaded.through_levels = true;
    shaded.level_table = levels;
    shaded.colour_count = colour_count;
    shaded.colour_table = colour_table;
    for (const unsigned bits : {8u, 24u}) {
        shaded.bits_per_pixel = bits;
        both_formats(bits == 8 ? "shaded relief writer, 8-bit" : "shaded relief writer, 24-bit",
                     [&](const std::string& image) {
                         return write_shaded_image(grid, gradient, image, d, shaded, light, slopes);
                     });
    }

    std::vector<float> user_table(kUserColourValues);
    for (std::size_t k = 0; k < kLevels; ++k) {
        user_table[k] = static_cast<float>(k % 256);
        user_table[kLevels + k] = static_cast<float>(255 - k % 256);
        user_table[2 * kLevels + k] = static_cast<float>(k / 16);
    }
    both_formats("user colour writer, table rows", [&](const std::string& image) {
        return write_user_colour_image(grid, image, d, 2, levels, {user_table, 0});
    });
    for (std::size_t k = 0; k < 5; ++k)
        user_table[k] = user_table[kLevels + k] = user_table[2 * kLevels + k] = 0.25f * k;
    both_formats("user colour writer, interpolated colours", [&](const std::string& image) {
        return write_user_colour_image(grid, image, d, 2, levels, {user_table, 5});
    });

    for (const auto& f : {grid, gradient, bmp, png}) std::filesystem::remove(f);
    return 0;
}
