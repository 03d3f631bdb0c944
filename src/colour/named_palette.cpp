// The named palettes: two are colour schemes of the colour table builder,
// the others published tables.
#include "colour/named_palette.h"

#include "colour/colour_map.h"
#include "colour/palette_tables.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace gridlib {
namespace {

struct NamedPalette {
    std::string_view name;
    std::int32_t scheme;          // a colour scheme, or 0 for a table
    const PaletteTable* table;
};

const std::array<NamedPalette, 8> kPalettes{{
    {"rainbow", 2, nullptr},
    {"grey", 1, nullptr},
    {"viridis", 0, &k_viridis_table},
    {"cividis", 0, &k_cividis_table},
    {"magma", 0, &k_magma_table},
    {"turbo", 0, &k_turbo_table},
    {"terrain", 0, &k_terrain_table},
    {"diverging", 0, &k_diverging_table},
}};

}  // namespace

std::optional<std::int32_t> build_named_palette(std::string_view name, ColourTableView table) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto* found = std::find_if(kPalettes.begin(), kPalettes.end(),
                                     [&](const NamedPalette& p) { return p.name == lower; });
    if (found == kPalettes.end()) return std::nullopt;
    if (found->scheme != 0) return build_colour_table(found->scheme, {}, {}, {}, 0, table);
    table.set(0, {255, 255, 255});
    table.set(1, {0, 0, 0});
    for (std::size_t i = 0; i < kPaletteColours; ++i) {
        const Rgb8Bytes c = (*found->table)[i];
        table.set(i + 2, {c.red, c.green, c.blue});
    }
    return static_cast<std::int32_t>(kPaletteColours + 2);
}

}  // namespace gridlib
