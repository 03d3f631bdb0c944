// The colour bar's file.
#include "colour_bar/colour_bar.h"

#include "colour_bar/bar_png.h"
#include "colour_bar/bar_svg.h"
#include "grid/working_grid.h"
#include "image/pending_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace gridlib::colour_bar {
namespace {

bool ends_in(const std::string& path, std::string_view extension) {
    return path.size() > extension.size() &&
           std::equal(extension.begin(), extension.end(), path.end() - static_cast<std::ptrdiff_t>(extension.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

bool drawable(const BarDescription& bar) {
    if (bar.steps.empty()) return false;
    const double lower = bar.steps.front().begins;
    if (!(std::isfinite(lower) && std::isfinite(bar.upper) && lower < bar.upper)) return false;
    return bar.axis != Axis::log || lower > 0;
}

}  // namespace

std::optional<BarFormat> bar_format_of(const std::string& path) {
    if (ends_in(path, ".svg")) return BarFormat::svg;
    if (ends_in(path, ".png")) return BarFormat::png;
    return std::nullopt;
}

std::optional<bool> holds_null_cells(const std::string& working_path, std::int32_t columns, std::int32_t rows) {
    auto reader = working_grid::Reader::open(working_path, columns);
    if (!reader || columns <= 0 || rows <= 0 || !reader->holds_rows(rows)) return std::nullopt;
    std::vector<float> row(static_cast<std::size_t>(columns));
    for (std::int64_t s = 1; s <= rows; ++s) {
        if (!reader->read_row(s, row)) return std::nullopt;
        if (!std::all_of(row.begin(), row.end(), is_valid)) return true;
    }
    return false;
}

std::int32_t write_colour_bar(const std::string& path, const BarDescription& bar) {
    const auto format = bar_format_of(path);
    if (!format || !drawable(bar)) return GRIDLIB_REFUSED;
    PendingFile out(path);
    if (!out.is_open()) return GRIDLIB_IMAGE_WRITE_FAILED;
    if (*format == BarFormat::png) {
        if (const std::int32_t status = write_bar_png(bar, out.file()); status != 0) return status;
    } else {
        const std::string text = svg_document(lay_out(bar, estimated_text_width));
        if (!out.file().write(std::as_bytes(std::span(text.data(), text.size())))) return GRIDLIB_IMAGE_WRITE_FAILED;
    }
    return out.commit() ? 0 : GRIDLIB_IMAGE_WRITE_FAILED;
}

}  // namespace gridlib::colour_bar
