// Times the grid reader on large generated grids: a 4000 x 4000 ESRI ASCII
// grid against a bare number-parsing pass over the same text, the same
// numbers as a plain GXF grid (stored by rows, then by columns), a compressed
// GXF grid of two characters a value (stored by rows, then by columns), and
// binary grids stored by rows (Surfer 7) and by columns.
//
// Usage: grid_read_bench [size] [dir]   (default 4000, a fresh temp dir)
#include "bench_support.h"
#include "descriptor/grid_descriptor.h"
#include "formats/grid_header.h"
#include "grid/grid_reader.h"
#include "platform/file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace gridlib;
using bench::best_of;

// Deterministic values like 123.456, with a null cell now and then.
std::uint32_t next(std::uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

void write_all(const std::string& path, const std::string& bytes) {
    bench::write_all(path, std::as_bytes(std::span(bytes.data(), bytes.size())));
}

std::string esri_text(int n) {
    std::string text = "ncols " + std::to_string(n) + "\nnrows " + std::to_string(n) +
                       "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    text.reserve(text.size() + static_cast<std::size_t>(n) * n * 9);
    std::uint32_t s = 1;
    char buf[32];
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const std::uint32_t v = next(s);
            if (v % 50 == 0) {
                text += "-9999";
            } else {
                auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v % 1000000) / 1000.0,
                                               std::chars_format::fixed, 3);
                text.append(buf, end);
            }
            text += c + 1 < n ? ' ' : '\n';
        }
    }
    return text;
}

// The bare pass: split on the same separators with the same table and
// convert every token, nothing else.
constexpr auto kSeparators = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {' ', '\t', ',', '\r', '\n'}) t[c] = true;
    return t;
}();

double bare_parse(const char* p, const char* end) {
    const auto sep = [](char c) { return kSeparators[static_cast<unsigned char>(c)]; };
    double sum = 0;
    while (p < end) {
        while (p < end && sep(*p)) ++p;
        const char* start = p;
        while (p < end && !sep(*p)) ++p;
        float v = 0;
        if (std::from_chars(start, p, v).ec == std::errc()) sum += v;
    }
    return sum;
}

std::int32_t read_grid(const std::string& input, const std::string& working, GridDescriptor g) {
    auto d = g.view();
    const GridWindow w{d.west_x(), d.east_x(), 1, d.south_y(), d.north_y(), 1};
    return read_into_working_grid(input, working, d, w);
}

GridDescriptor descriptor(FormatCode f, int n, std::int32_t header, std::int32_t type, std::int32_t order,
                          float null_value) {
    GridDescriptor g;
    auto d = g.view();
    d.set_format(f);
    d.band_count() = f == FormatCode::binary_512 ? 0 : 1;
    d.selected_band() = 1;
    d.data_offset() = header;
    d.value_type() = type;
    d.storage_order() = order;
    d.byte_order() = 2;
    d.columns() = d.rows() = n;
    d.column_spacing() = d.row_spacing() = 1;
    d.derive_east_from_columns();
    d.derive_north_from_rows();
    d.null_value() = null_value;
    d.scale_divisor() = 1;
    return g;
}

void report(const char* what, double bytes, double seconds) {
    std::printf("%-44s %8.3f s %9.1f MB/s\n", what, seconds, bytes / seconds / 1e6);
}

// A compressed GXF grid: values 0..8099 in two base-90 characters, lines
// of 40 groups, a dummy now and then and a run of equal values as a repeat.
std::string compressed_gxf_text(int n, int sense) {
    std::string text = "#POINTS\n" + std::to_string(n) + "\n#ROWS\n" + std::to_string(n) + "\n#SENSE\n" +
                       std::to_string(sense) + "\n#GTYPE\n2\n#DUMMY\n-1\n#GRID\n";
    text.reserve(text.size() + static_cast<std::size_t>(n) * n * 41 / 20);
    std::uint32_t s = 3;
    const auto code = [&](std::uint32_t v) {
        text += static_cast<char>('%' + v / 90);
        text += static_cast<char>('%' + v % 90);
    };
    for (int r = 0; r < n; ++r) {
        int groups = 0;
        const auto group_done = [&] {
            if (++groups % 40 == 0) text += '\n';
        };
        for (int c = 0; c < n; ++c) {
            const std::uint32_t v = next(s);
            if (v % 50 == 0) {
                text += "!!";
            } else if (v % 97 == 0 && c + 6 <= n) {
                text += "\"\"";  // six times the same value
                group_done();
                code(6);
                group_done();
                code(v % 8100);
                c += 5;
            } else {
                code(v % 8100);
            }
            group_done();
        }
        if (groups % 40 != 0) text += '\n';
    }
    return text;
}

// Reads a grid with its header, as the converter does.
std::int32_t read_with_header(const std::string& input, const std::string& working) {
    GridDescriptor g;
    auto d = g.view();
    if (const std::int32_t s = read_grid_header(input, d); s != 0) return s;
    return read_grid(input, working, g);
}

}  // namespace

int main(int argc, char** argv) {
    const bench::Arguments arguments(argc, argv, "grid-read-bench");
    const int n = arguments.size();
    const std::string working = arguments.file("work.tmp");
    const int runs = 3;

    // --- ESRI ASCII --------------------------------------------------------
    const std::string asc = arguments.file("grid.asc");
    const std::string text = esri_text(n);
    write_all(asc, text);
    const double text_bytes = static_cast<double>(text.size());
    std::printf("ESRI ASCII grid %d x %d, %.1f MB\n", n, n, text_bytes / 1e6);

    volatile double sink = 0;
    const double in_memory = best_of(runs, [&] { sink = sink + bare_parse(text.data(), text.data() + text.size()); });
    report("bare from_chars pass, text in memory", text_bytes, in_memory);
    const double from_file = best_of(runs, [&] {
        auto f = platform::File::open_read(asc);
        std::string all(static_cast<std::size_t>(*f->size()), '\0');
        f->read(std::as_writable_bytes(std::span(all.data(), all.size())));
        sink = sink + bare_parse(all.data(), all.data() + all.size());
    });
    report("bare from_chars pass, file read first", text_bytes, from_file);
    std::int32_t status = 0;
    const double reader = best_of(runs, [&] {
        status = read_grid(asc, working, descriptor(FormatCode::esri_ascii, n, 6, 0, 1, -9999.0f));
    });
    report("read_into_working_grid, ESRI ASCII to working grid", text_bytes, reader);
    const double values = static_cast<double>(n) * n;
    std::printf("  status %d; ratio to the in-memory pass %.2f, to the file pass %.2f; %.1f M values/s\n\n", status,
                reader / in_memory, reader / from_file, values / reader / 1e6);
    std::filesystem::remove(asc);

    // --- plain GXF: the same written numbers, by rows and by columns --------
    const std::string plain_gxf = arguments.file("plain.gxf");
    const std::string body = text.substr(text.find("-9999\n") + 6);
    for (const int sense : {1, -1}) {
        write_all(plain_gxf, "#POINTS\n" + std::to_string(n) + "\n#ROWS\n" + std::to_string(n) + "\n#SENSE\n" +
                                 std::to_string(sense) + "\n#GRID\n" + body);
        const double t = best_of(runs, [&] { status = read_with_header(plain_gxf, working); });
        report(sense == 1 ? "read_into_working_grid, plain GXF (numbers)" : "  the same stored as columns (sense -1)",
               text_bytes, t);
        std::printf("  status %d; %.1f M values/s\n", status, values / t / 1e6);
    }
    std::printf("\n");
    std::filesystem::remove(plain_gxf);

    // --- compressed GXF ----------------------------------------------------
    const std::string gxf = arguments.file("grid.gxf");
    for (const int sense : {1, -1}) {
        const std::string coded = compressed_gxf_text(n, sense);
        write_all(gxf, coded);
        const double coded_bytes = static_cast<double>(coded.size());
        const double t = best_of(runs, [&] { status = read_with_header(gxf, working); });
        report(sense == 1 ? "read_into_working_grid, compressed GXF (2 chars)"
                          : "  the same stored as columns (sense -1)",
               coded_bytes, t);
        std::printf("  status %d; %.1f MB of text; %.1f M values/s, %.2f times the ESRI ASCII rate\n", status,
                    coded_bytes / 1e6, values / t / 1e6, reader / t);
    }
    std::printf("\n");
    std::filesystem::remove(gxf);

    // --- binary ------------------------------------------------------------
    const std::string grd = arguments.file("grid.grd");
    {
        std::string bytes(100, '\0');
        bytes.reserve(100 + static_cast<std::size_t>(n) * n * 8);
        std::uint32_t s = 7;
        for (long i = 0; i < static_cast<long>(n) * n; ++i) {
            const double v = static_cast<double>(next(s) % 1000000) / 1000.0;
            bytes.append(reinterpret_cast<const char*>(&v), 8);
        }
        write_all(grd, bytes);
        const double size = static_cast<double>(bytes.size());
        const double t = best_of(runs, [&] {
            status = read_grid(grd, working, descriptor(FormatCode::surfer7, n, 100, 8, 1, 1.70141e38f));
        });
        report("read_into_working_grid, Surfer 7 (64-bit rows)", size, t);
        std::printf("  status %d\n", status);
    }
    {
        std::string bytes(512, '\0');
        bytes.reserve(512 + static_cast<std::size_t>(n) * n * 4);
        std::uint32_t s = 9;
        for (long i = 0; i < static_cast<long>(n) * n; ++i) {
            const float v = static_cast<float>(next(s) % 1000000) / 1000.0f;
            bytes.append(reinterpret_cast<const char*>(&v), 4);
        }
        write_all(grd, bytes);
        const double size = static_cast<double>(bytes.size());
        double t = best_of(runs, [&] {
            status = read_grid(grd, working, descriptor(FormatCode::binary_512, n, 512, 4, 1, -1.0e32f));
        });
        report("read_into_working_grid, 512-byte header (32-bit rows)", size, t);
        std::printf("  status %d\n", status);
        t = best_of(runs, [&] {
            status = read_grid(grd, working, descriptor(FormatCode::binary_512, n, 512, 4, -1, -1.0e32f));
        });
        report("read_into_working_grid, same bytes stored as columns", size, t);
        std::printf("  status %d\n", status);
    }
    std::filesystem::remove(grd);
    std::filesystem::remove(working);
    return 0;
}
