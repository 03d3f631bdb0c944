// Palette files, which colour a grid by value: GDAL's colour-relief text
// files and GMT colour palette tables (.cpt). Both become one list of stops,
// each a value (or a percentage of the data range) with a colour, and the
// colours of null cells and of values beyond the stops.
#pragma once

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

enum class PaletteFault { none, unreadable, fields, value, colour, colour_model, no_stops };

struct PaletteError {
    PaletteFault fault = PaletteFault::none;
    std::size_t line = 0;  // from 1; 0 when no line is at fault
};

// GMT tables are told from GDAL files by their name: ".cpt" in any case.
bool is_gmt_table(std::string_view name);

// Parses the text of a palette file; the first line at fault ends it.
std::variant<PaletteFile, PaletteError> parse_palette(std::string_view text, bool gmt_table);

// Reads and parses the file at path, by its name's kind.
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

private:
    std::vector<double> values_;
    std::vector<Rgba> colours_;
    std::optional<Rgba> below_, above_, null_;
};

}  // namespace gridlib
