// The palette file reader and the colours by value.
#include "colour/palette_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>

namespace gridlib {
namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string_view> split(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(separators, at)) != std::string_view::npos) {
        const std::size_t end = std::min(line.find_first_of(separators, at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

// A whole field as a finite number.
std::optional<double> number(std::string_view field) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    double v = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), v);
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A colour component 0..255. GDAL files: a fraction is dropped, as
// gdaldem's atoi drops it; GMT writes fractions (makecpt's 57.333) and
// rounds them when it draws.
std::optional<std::int32_t> component(std::string_view field, bool rounded) {
    const auto v = number(field);
    if (!v || *v < 0 || *v > 255 || (!rounded && *v >= 256)) return std::nullopt;
    return static_cast<std::int32_t>(rounded ? std::lround(*v) : *v);
}

// Three or four components: red, green, blue and alpha.
std::optional<Rgba> components(std::span<const std::string_view> fields, bool rounded = false) {
    if (fields.size() != 3 && fields.size() != 4) return std::nullopt;
    std::array<std::int32_t, 4> c{0, 0, 0, 255};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto v = component(fields[i], rounded);
        if (!v) return std::nullopt;
        c[i] = *v;
    }
    return Rgba{c[0], c[1], c[2], c[3]};
}

// The colour names makecpt writes for its B, F and N colours, and a few
// more, with GMT's (X11's) values.
struct NamedColour {
    std::string_view name;
    Rgba colour;
};
constexpr std::array<NamedColour, 12> kColourNames{{
    {"black", {0, 0, 0, 255}},       {"white", {255, 255, 255, 255}}, {"gray", {190, 190, 190, 255}},
    {"grey", {190, 190, 190, 255}},  {"red", {255, 0, 0, 255}},       {"green", {0, 255, 0, 255}},
    {"blue", {0, 0, 255, 255}},      {"yellow", {255, 255, 0, 255}},  {"cyan", {0, 255, 255, 255}},
    {"magenta", {255, 0, 255, 255}}, {"orange", {255, 165, 0, 255}}, {"brown", {165, 42, 42, 255}},
}};

// A GMT colour written as one field: r/g/b, a grey level, a colour name, or
// "-" (not painted).
std::optional<Rgba> gmt_colour(std::string_view field) {
    if (field == "-") return Rgba{255, 255, 255, 0};
    for (const auto& named : kColourNames)
        if (equal_ignoring_case(field, named.name)) return named.colour;
    if (field.find('/') != std::string_view::npos) {
        const auto parts = split(field, "/");
        if (parts.size() != 3 || std::count(field.begin(), field.end(), '/') != 2) return std::nullopt;
        return components(parts, true);
    }
    const auto grey = component(field, true);
    if (!grey) return std::nullopt;
    return Rgba{*grey, *grey, *grey, 255};
}

// A GMT colour of one field or three.
std::optional<Rgba> gmt_colour(std::span<const std::string_view> fields) {
    if (fields.size() == 1) return gmt_colour(fields[0]);
    if (fields.size() == 3) return components(fields, true);
    return std::nullopt;
}

using LineResult = std::optional<PaletteFault>;  // a fault, or none

// value r g b [a]; the value may be `nv` or a percentage.
LineResult gdal_line(std::string_view line, PaletteFile& palette) {
    const auto fields = split(line, " \t,:");
    if (fields.empty()) return std::nullopt;
    if (fields.size() != 4 && fields.size() != 5) return PaletteFault::fields;
    const auto colour = components(std::span(fields).subspan(1));
    if (!colour) return PaletteFault::colour;
    std::string_view value = fields[0];
    if (equal_ignoring_case(value, "nv")) {
        palette.null_colour = colour;
        return std::nullopt;
    }
    const bool percent = value.back() == '%';
    if (percent) value.remove_suffix(1);
    const auto v = number(value);
    if (!v) return PaletteFault::value;
    palette.stops.push_back({*v, percent, *colour});
    return std::nullopt;
}

// z0 colour z1 colour [L|U|B], or B, F or N and a colour.
LineResult gmt_line(std::string_view line, PaletteFile& palette) {
    if (const auto label = line.find(';'); label != std::string_view::npos) line = line.substr(0, label);
    auto fields = split(line, " \t");
    if (fields.empty()) return std::nullopt;
    const std::string_view key = fields[0];
    if (key == "B" || key == "F" || key == "N") {
        const auto colour = gmt_colour(std::span(fields).subspan(1));
        if (!colour) return fields.size() == 2 || fields.size() == 4 ? PaletteFault::colour : PaletteFault::fields;
        (key == "B" ? palette.below : key == "F" ? palette.above : palette.null_colour) = colour;
        return std::nullopt;
    }
    // An annotation flag ends a segment line.
    if (fields.size() % 2 == 1 && (fields.back() == "L" || fields.back() == "U" || fields.back() == "B"))
        fields.pop_back();
    if (fields.size() != 4 && fields.size() != 8) return PaletteFault::fields;
    const std::size_t width = fields.size() / 2 - 1;  // fields of one colour
    const auto z0 = number(fields[0]);
    const auto z1 = number(fields[width + 1]);
    if (!z0 || !z1) return PaletteFault::value;
    const auto c0 = gmt_colour(std::span(fields).subspan(1, width));
    const auto c1 = gmt_colour(std::span(fields).subspan(width + 2, width));
    if (!c0 || !c1) return PaletteFault::colour;
    palette.stops.push_back({*z0, false, *c0});
    palette.stops.push_back({*z1, false, *c1});
    return std::nullopt;
}

// GMT says which colour model its numbers are in; only RGB is read here.
bool other_colour_model(std::string_view comment) {
    const auto at = comment.find("COLOR_MODEL");
    if (at == std::string_view::npos) return false;
    const auto fields = split(comment.substr(at + 11), " \t=+");
    return fields.empty() || !equal_ignoring_case(fields[0], "rgb");
}

// The lines of a palette file, checked one by one as they are read.
class PaletteLines {
public:
    explicit PaletteLines(bool gmt_table) : gmt_table_(gmt_table) {}

    // The next line, without its LF; the fault that ends the file there, if any.
    std::optional<PaletteError> add(std::string_view line) {
        ++number_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kLongestPaletteLine) return PaletteError{PaletteFault::long_line, number_};
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) return std::nullopt;
        line.remove_prefix(first);
        if (line.front() == '#') {
            if (gmt_table_ && other_colour_model(line)) return PaletteError{PaletteFault::colour_model, number_};
            return std::nullopt;
        }
        if (const auto fault = gmt_table_ ? gmt_line(line, palette_) : gdal_line(line, palette_))
            return PaletteError{*fault, number_};
        if (palette_.stops.size() > kMostPaletteStops) return PaletteError{PaletteFault::many_stops, number_};
        return std::nullopt;
    }

    // The fault of a line not yet added that is already too long.
    PaletteError next_too_long() const { return {PaletteFault::long_line, number_ + 1}; }

    std::variant<PaletteFile, PaletteError> finish() {
        if (palette_.stops.empty()) return PaletteError{PaletteFault::no_stops, 0};
        return std::move(palette_);
    }

private:
    bool gmt_table_;
    std::size_t number_ = 0;  // of the line added last
    PaletteFile palette_;
};

}  // namespace

bool is_gmt_table(std::string_view name) {
    return name.size() >= 4 && equal_ignoring_case(name.substr(name.size() - 4), ".cpt");
}

std::variant<PaletteFile, PaletteError> parse_palette(std::string_view text, bool gmt_table) {
    PaletteLines lines(gmt_table);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (const auto error = lines.add(text.substr(0, end))) return *error;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines.finish();
}

std::variant<PaletteFile, PaletteError> read_palette_file(const std::string& path) {
    // A device or a FIFO (-C/dev/zero) could be read for ever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return PaletteError{PaletteFault::unreadable, 0};
    std::ifstream in(path, std::ios::binary);
    if (!in) return PaletteError{PaletteFault::unreadable, 0};
    PaletteLines lines(is_gmt_table(path));
    // The line being read; a CR before its line end may take one byte more.
    std::string line;
    line.reserve(kLongestPaletteLine + 1);
    std::vector<char> buffer(64 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        std::string_view got(buffer.data(), static_cast<std::size_t>(in.gcount()));
        while (!got.empty()) {
            const std::size_t end = std::min(got.find('\n'), got.size());
            const std::string_view part = got.substr(0, end);
            if (line.size() + part.size() > kLongestPaletteLine + 1) return lines.next_too_long();
            line += part;
            if (end == got.size()) break;
            if (const auto fault = lines.add(line)) return *fault;
            line.clear();
            got.remove_prefix(end + 1);
        }
    }
    if (in.bad()) return PaletteError{PaletteFault::unreadable, 0};
    if (!line.empty()) {
        if (const auto fault = lines.add(line)) return *fault;
    }
    return lines.finish();
}

ValueColours::ValueColours(const PaletteFile& file, double lower, double upper)
    : below_(file.below), above_(file.above), null_(file.null_colour) {
    const auto& stops = file.stops;
    std::vector<std::size_t> order(stops.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // A percentage far beyond 100 could reach infinity; the largest double
    // keeps the values ordered and the ratios between them finite.
    constexpr double kLargest = std::numeric_limits<double>::max();
    auto value_of = [&](std::size_t i) {
        return stops[i].percent ? std::clamp(lower + stops[i].value / 100.0 * (upper - lower), -kLargest, kLargest)
                                : stops[i].value;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return value_of(a) < value_of(b); });
    for (const std::size_t i : order) {
        values_.push_back(value_of(i));
        colours_.push_back(stops[i].colour);
    }
    // Halves, which are exact, keep stops at the ends of the double range
    // from being further apart than a double holds. A gap is only divided
    // into when a value lies strictly inside it, so it is never 0 there.
    inverse_gaps_.push_back(0.0);
    for (std::size_t i = 1; i < values_.size(); ++i)
        inverse_gaps_.push_back(1.0 / (values_[i] / 2 - values_[i - 1] / 2));
}

bool ValueColours::may_give(std::int32_t red, std::int32_t green, std::int32_t blue) const {
    const std::array<std::int32_t, 3> wanted{red, green, blue};
    auto channels = [](const Rgba& c) { return std::array<std::int32_t, 3>{c.red, c.green, c.blue}; };
    if ((below_ && channels(*below_) == wanted) || (above_ && channels(*above_) == wanted)) return true;
    // Between two stops a channel is 0.45 + a + ratio (b - a) truncated, one
    // ratio for all three: the colour is given where the ratios that give
    // each channel its value meet. They are widened a little, so that no
    // rounding of the interpolation escapes them.
    constexpr double kWidening = 1e-9;
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        const auto a = channels(colours_[i > 0 ? i - 1 : 0]), b = channels(colours_[i]);
        double lowest = 0, highest = 1;
        for (std::size_t c = 0; c < 3 && lowest <= highest; ++c) {
            const double rise = b[c] - a[c];
            if (rise == 0) {
                if (a[c] != wanted[c]) lowest = 2;
                continue;
            }
            const double from = (wanted[c] - 0.45 - a[c]) / rise, to = (wanted[c] + 0.55 - a[c]) / rise;
            lowest = std::max(lowest, std::min(from, to) - kWidening);
            highest = std::min(highest, std::max(from, to) + kWidening);
        }
        if (lowest <= highest) return true;
    }
    return false;
}

bool ValueColours::opaque() const {
    auto opaque_colour = [](const std::optional<Rgba>& c) { return !c || c->alpha == 255; };
    return opaque_colour(below_) && opaque_colour(above_) && opaque_colour(null_) &&
           std::all_of(colours_.begin(), colours_.end(), [](const Rgba& c) { return c.alpha == 255; });
}

}  // namespace gridlib
