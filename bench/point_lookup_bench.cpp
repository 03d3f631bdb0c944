// Times the point lookup on a generated working grid: one million random
// points looked up in random order and again sorted into row order, and the
// peak memory of the process, which must not grow with the grid.
//
// Usage: point_lookup_bench [size] [points] [dir]   (default 4000 x 4000, 1000000, a fresh temp dir)
#include "bench_support.h"
#include "descriptor/grid_descriptor.h"
#include "grid/point_lookup.h"
#include "grid/working_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace gridlib;
using bench::best_of;

long peak_kilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A smooth surface with one node in a hundred null, written row by row.
void write_grid(const std::string& path, std::int32_t n) {
    const working_grid::Geometry g{n, n, 25.0, 25.0, 500000.0, 4000000.0};
    auto writer = working_grid::Writer::create(path, g);
    if (!writer) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<float> row(static_cast<std::size_t>(n));
    std::uint32_t s = 1;
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            s = s * 1664525u + 1013904223u;
            row[std::size_t(c)] = (s >> 24) < 3 ? kNullValue : float(std::sin(c * 0.01) * 100 + std::cos(r * 0.013) * 50);
        }
        writer->write_rows(r + 1, row);  // stored row 1 is the northern one; the values do not care
    }
    if (!writer->close()) std::exit(1);
}

GridDescriptor descriptor(std::int32_t n) {
    GridDescriptor g;
    auto d = g.view();
    d.set_format(FormatCode::binary_512);
    d.storage_order() = working_grid::kNorthFirst;
    d.columns() = d.columns_read() = n;
    d.rows() = d.rows_read() = n;
    const float geometry[6] = {500000.0f, 500000.0f + 25.0f * float(n - 1), 4000000.0f,
                               4000000.0f + 25.0f * float(n - 1), 25.0f, 25.0f};
    for (int k = 0; k < 6; ++k) d.input_geometry(k) = geometry[k];
    return g;
}

}  // namespace

int main(int argc, char** argv) {
    const std::int32_t n = argc > 1 ? std::atoi(argv[1]) : 4000;
    const std::size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
    const std::string dir = argc > 3 ? std::string(argv[3]) : bench::fresh_directory("point-lookup-bench");
    const std::string path = dir + "/work.tmp";
    write_grid(path, n);
    auto g = descriptor(n);
    std::printf("working grid %d x %d, %.1f MB; %zu points\n", n, n,
                double(std::filesystem::file_size(path)) / 1e6, count);

    std::mt19937_64 random(42);
    std::uniform_real_distribution<float> along_x(g.view().input_geometry(0), g.view().input_geometry(1));
    std::uniform_real_distribution<float> along_y(g.view().input_geometry(2), g.view().input_geometry(3));
    std::vector<float> x(count), y(count), values(count);
    for (std::size_t i = 0; i < count; ++i) x[i] = along_x(random), y[i] = along_y(random);
    const long before = peak_kilobytes();

    std::int32_t status = 0;
    const auto run = [&](const char* what) {
        const double t = best_of(3, [&] { status = look_up_points(path, g.view(), x, y, values); });
        const auto valid = std::count_if(values.begin(), values.end(), [](float v) { return is_valid(v); });
        std::printf("%-12s %8.3f s %12.0f points/s  (status %d, %ld valid)\n", what, t, double(count) / t, status,
                    long(valid));
    };
    run("random order");
    const long after_lookup = peak_kilobytes();

    // Row order: northern rows first, as they are stored, and west to east.
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    const auto row_of = [&](std::size_t i) { return std::lround((y[i] - g.view().input_geometry(2)) / 25.0f); };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const long ra = row_of(a), rb = row_of(b);
        return ra != rb ? ra > rb : x[a] < x[b];
    });
    std::vector<float> sx(count), sy(count);
    for (std::size_t k = 0; k < count; ++k) sx[k] = x[order[k]], sy[k] = y[order[k]];
    x.swap(sx);
    y.swap(sy);
    run("row order");

    std::printf("peak memory %ld kB before the first lookup (the points), %ld kB after it;\n"
                "%ld kB once the points were sorted into row order\n",
                before, after_lookup, peak_kilobytes());
    std::filesystem::remove(path);
    if (argc <= 3) std::filesystem::remove(dir);
    return 0;
}
