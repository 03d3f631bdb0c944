// The colour tables of the named palettes, generated once from their
// published values (tools/make_palette_tables.py).
#pragma once

#include <array>
#include <cstdint>

namespace gridlib {

// As many colours as the rainbow ramp has, lowest values first.
inline constexpr std::size_t kPaletteColours = 236;
struct Rgb8Bytes {
    std::uint8_t red, green, blue;
};
using PaletteTable = std::array<Rgb8Bytes, kPaletteColours>;

extern const PaletteTable k_viridis_table;
extern const PaletteTable k_cividis_table;
extern const PaletteTable k_magma_table;
extern const PaletteTable k_turbo_table;
extern const PaletteTable k_terrain_table;
extern const PaletteTable k_diverging_table;

}  // namespace gridlib
