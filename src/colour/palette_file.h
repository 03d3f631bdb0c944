// Palette files, which colour a grid by value: GDAL's colour-relief text
// files and GMT colour palette tables (.cpt). Both become one list of stops,
// each a value (or a percentage of the data range) with a colour, and the
// colours of null cells and of values beyond the stops.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace gridlib {

struct Rgba {
    std::int32_t red = 0, green = 0, blue = 0, alpha = 255;
    bool operator==(const Rgba&) const = default;
};

struct PaletteStop {
    double value = 0;
    bool percent = false;  // value is a percentage of the data range
    Rgba colour;
};

struct PaletteFile {
    std::vector<PaletteStop> stops;  // in the file's order
    std::optional<Rgba> null_colour;  // `nv` or N
    std::optional<Rgba> below;        // B: values below the first stop
    std::optional<Rgba> above;        // F: values above the last stop
};

enum class PaletteFault { none, unreadable, fields, value, colour, colour_model, no_stops, long_line, many_stops };

// Bounds against hostile files, far beyond any real one (GMT's tables hold a
// few thousand segments at most): a line longer than this many bytes (its
// line end aside), or a line that brings the stops beyond this many, is at
// fault. A file is read a line at a time, so that its size costs nothing.
inline constexpr std::size_t kLongestPaletteLine = 4096;
inline constexpr std::size_t kMostPaletteStops = 65536;

struct PaletteError {
    PaletteFault fault = PaletteFault::none;
    std::size_t line = 0;  // from 1; 0 when no line is at fault
};

// GMT tables are told from GDAL files by their name: ".cpt" in any case.
bool is_gmt_table(std::string_view name);

// Parses the text of a palette file; the first line at fault ends it.
std::variant<PaletteFile, PaletteError> parse_palette(std::string_view text, bool gmt_table);

// Reads and parses the file at path, by its name's kind, a line at a time:
// the read ends at the first line at fault.
std::variant<PaletteFile, PaletteError> read_palette_file(const std::string& path);

// The colours of a palette file for a grid whose data range is
// lower..upper. A valid value is coloured as gdaldem color-relief colours it
// by default: clamped to the first and last stops (or B and F where the
// table gives them), a stop's colour at its value (the first of equal
// ones), and between two stops each channel interpolated linearly and
// rounded as gdaldem rounds (0.45 added, then truncated).
class ValueColours {
public:
    // The file must hold a stop (parse_palette makes sure of it).
    ValueColours(const PaletteFile& file, double lower, double upper);
    Rgba operator()(double value) const {
        std::size_t segment = 0;
        return (*this)(value, segment);
    }
    // The same, with the stop found for the last value in segment: where
    // neighbouring cells fall between the same two stops, as most do, the
    // search is skipped.
    Rgba operator()(double value, std::size_t& segment) const;
    const std::optional<Rgba>& null_colour() const { return null_; }
    // The stops' values, ascending.
    std::span<const double> stop_values() const { return values_; }
    // Whether some value may be given this red, green and blue: a stop's,
    // the colour below or above, or one that lies channel by channel
    // between two neighbouring stops' colours, which interpolation never
    // leaves. May say so of a colour never given, never the other way.
    bool may_give(std::int32_t red, std::int32_t green, std::int32_t blue) const;
    // Whether every colour a value or a null cell may be given is opaque.
    bool opaque() const;

private:
    std::vector<double> values_;
    // 1 / (half the gap below each stop): a product costs less than
    // gdaldem's quotient and differs from it in the last bit at most, which
    // moves a channel by 1 at most, and rarely.
    std::vector<double> inverse_gaps_;
    std::vector<Rgba> colours_;
    std::optional<Rgba> below_, above_, null_;
};

// In the header: the image writer calls it for every cell.
inline Rgba ValueColours::operator()(double value, std::size_t& segment) const {
    // The first stop not below the value.
    std::size_t i = segment;
    if (!(i > 0 && i < values_.size() && values_[i - 1] < value && value < values_[i])) {
        i = static_cast<std::size_t>(std::lower_bound(values_.begin(), values_.end(), value) - values_.begin());
        segment = i;
    }
    if (i == values_.size()) return value > values_.back() && above_ ? *above_ : colours_.back();
    if (values_[i] == value) return colours_[i];
    if (i == 0) return below_ ? *below_ : colours_.front();
    // Stops among the smallest doubles may lose their gap in the halves: the
    // ratio is kept within 0..1 (0 when it is no number at all).
    const double fraction = (value / 2 - values_[i - 1] / 2) * inverse_gaps_[i];
    const double ratio = fraction > 0 ? std::min(fraction, 1.0) : 0.0;
    auto channel = [&](std::int32_t a, std::int32_t b) {
        return std::clamp(static_cast<std::int32_t>(0.45 + a + ratio * (b - a)), 0, 255);
    };
    const Rgba &a = colours_[i - 1], &b = colours_[i];
    return {channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue), channel(a.alpha, b.alpha)};
}

}  // namespace gridlib
