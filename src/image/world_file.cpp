// World files from the descriptor and the image scale.
#include "image/world_file.h"

#include "formats/driver.h"
#include "image/image_format.h"
#include "image/image_lines.h"
#include "image/pending_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace gridlib {
namespace {

using formats::CellPoint;

// From the point a format's coordinates name to its cell's centre, in cells.
struct CentreOffset {
    double columns = 0, rows = 0;  // rows count northward
};

CentreOffset centre_offset(CellPoint point) {
    switch (point) {
    case CellPoint::centre: return {0.0, 0.0};
    case CellPoint::lower_left_corner: return {0.5, 0.5};
    case CellPoint::upper_left_corner: return {0.5, -0.5};
    }
    return {};
}

void append_number(std::string& out, double v) {
    std::array<char, 32> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), v).ptr;
    out.append(digits.data(), end);
    out.push_back('\n');
}

bool is_upper_case(std::string_view text) {
    const bool any_letter = std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
    return any_letter && std::none_of(text.begin(), text.end(), [](unsigned char c) { return std::islower(c); });
}

// A cell of the grid as read, before any steps of the grid reader: the
// descriptor's point lies on one of those, and the kept cells' centres are
// theirs. A descriptor made without reading a header lacks the spacings as
// read and has only its own.
double cell_size(float as_read, float own) {
    return std::isfinite(as_read) && as_read != 0.0f ? as_read : own;
}

}  // namespace

std::optional<WorldFile> world_file_of(const DescriptorView& d, std::int32_t requested_width) {
    const auto point = formats::cell_point_of(d.format());
    const double dx = d.column_spacing(), dy = d.row_spacing();
    if (!point || d.columns() <= 0 || d.rows() <= 0 || !std::isfinite(dx) || !std::isfinite(dy) || dx == 0.0 ||
        dy == 0.0)
        return std::nullopt;
    const image::ImageScale scale = image::image_scale(requested_width, d.columns());
    const auto replication = static_cast<double>(scale.replication), step = static_cast<double>(scale.step);
    const CentreOffset offset = centre_offset(*point);
    // The northernmost row drawn: sampling keeps the southern row and every
    // step-th row north of it.
    const std::int64_t top = (std::int64_t{d.rows()} - 1) / scale.step * scale.step;
    const double west_centre = double(d.west_x()) + offset.columns * cell_size(d.input_geometry(4), d.column_spacing());
    const double top_centre = double(d.south_y()) + offset.rows * cell_size(d.input_geometry(5), d.row_spacing()) +
                              static_cast<double>(top) * dy;

    WorldFile w;
    w.pixel_width = dx * step / replication;
    w.pixel_height = -dy * step / replication;
    w.x = west_centre;
    w.y = top_centre;
    if (scale.replication > 1) {
        // A block of pixels covers its cell: the upper-left pixel's centre
        // lies half a pixel inward of the cell's corner.
        w.x -= (dx - w.pixel_width) / 2.0;
        w.y += (dy + w.pixel_height) / 2.0;
    }
    if (!std::isfinite(w.pixel_width) || !std::isfinite(w.pixel_height) || !std::isfinite(w.x) ||
        !std::isfinite(w.y))
        return std::nullopt;
    return w;
}

std::optional<WorldFile> image_placement(const formats::GridPlacement& grid, std::int32_t columns,
                                         std::int32_t rows, std::int32_t requested_width) {
    return image_placement(grid, columns, rows, image::image_scale(requested_width, columns));
}

std::optional<WorldFile> image_placement(const formats::GridPlacement& grid, std::int32_t columns,
                                         std::int32_t rows, const image::ImageScale& scale) {
    if (columns <= 0 || rows <= 0) return std::nullopt;
    const auto replication = static_cast<double>(scale.replication), step = static_cast<double>(scale.step);
    const double dx = grid.column_width, dy = grid.row_height;
    // The northernmost row drawn: sampling keeps the southern row and every
    // step-th row north of it, so it lies `skipped` rows below the north edge.
    const std::int64_t skipped = std::int64_t{rows} - 1 - (std::int64_t{rows} - 1) / scale.step * scale.step;
    WorldFile w;
    w.pixel_width = dx * step / replication;
    w.pixel_height = -dy * step / replication;
    w.x = grid.west + dx / 2.0;
    w.y = grid.north - (static_cast<double>(skipped) + 0.5) * dy;
    if (scale.replication > 1) {
        // A block of pixels covers its cell (see world_file_of).
        w.x -= (dx - w.pixel_width) / 2.0;
        w.y += (dy + w.pixel_height) / 2.0;
    }
    if (!std::isfinite(w.pixel_width) || !std::isfinite(w.pixel_height) || !std::isfinite(w.x) ||
        !std::isfinite(w.y) || w.pixel_width == 0.0 || w.pixel_height == 0.0)
        return std::nullopt;
    return w;
}

std::optional<WorldFile> whole_grid_world_file(const std::string& grid_name, const DescriptorView& d,
                                               std::int32_t requested_width) {
    const auto grid = formats::grid_placement(grid_name, d);
    if (!grid) return std::nullopt;
    return image_placement(*grid, d.columns(), d.rows(), requested_width);
}

std::string world_file_text(const WorldFile& w) {
    std::string text;
    append_number(text, w.pixel_width);
    text += "0\n0\n";
    append_number(text, w.pixel_height);
    append_number(text, w.x);
    append_number(text, w.y);
    return text;
}

std::string world_file_name(const std::string& image_path) {
    std::string_view extension = ".bpw";
    switch (image_format_of(image_path)) {
    case ImageFormat::png: extension = ".pgw"; break;
    case ImageFormat::tiff: extension = ".tfw"; break;
    case ImageFormat::bmp: break;
    }
    const std::size_t slash = image_path.rfind('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = image_path.rfind('.');
    // A leading dot starts a hidden file's name, not an extension.
    const bool has_extension = dot != std::string::npos && dot > name_start;
    std::string world(extension);
    if (has_extension && is_upper_case(std::string_view(image_path).substr(dot)))
        std::transform(world.begin(), world.end(), world.begin(), [](unsigned char c) { return std::toupper(c); });
    if (!has_extension) return image_path + world;
    std::string replaced = image_path.substr(0, dot) + world;
    return replaced == image_path ? image_path + world : replaced;
}

std::int32_t write_world_file(const std::string& image_path, const DescriptorView& d,
                              std::int32_t requested_width) {
    return write_world_file(image_path, world_file_of(d, requested_width));
}

std::int32_t write_world_file(const std::string& image_path, const std::optional<WorldFile>& world) {
    if (!world) return GRIDLIB_REFUSED;
    const std::string text = world_file_text(*world);
    PendingFile out(world_file_name(image_path));
    if (!out.is_open() || !out.file().write(std::as_bytes(std::span(text.data(), text.size()))) || !out.commit())
        return GRIDLIB_IMAGE_WRITE_FAILED;
    return GRIDLIB_OK;
}

}  // namespace gridlib
