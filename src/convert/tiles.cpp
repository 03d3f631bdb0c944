// A conversion's tile pyramid.
#include "convert/tiles.h"

#include "convert/colour_bar.h"
#include "convert/failures.h"
#include "convert/files.h"

#include "gridlib.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <variant>

namespace gridlib::convert {
namespace {

// True when the file lies within the folder, however either is spelt.
bool lies_within(const std::string& file, const std::string& folder) {
    if (file.empty()) return false;
    // Parts that do not exist yet are taken as written, hence normalised.
    const auto resolved = [](const std::string& path) -> std::optional<std::filesystem::path> {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(path, ec);
        if (ec) return std::nullopt;
        auto normal = std::filesystem::weakly_canonical(absolute, ec).lexically_normal();
        if (ec) return std::nullopt;
        if (!normal.has_filename()) normal = normal.parent_path();  // "out/" names the folder out
        return normal;
    };
    const auto inner = resolved(file), outer = resolved(folder);
    if (!inner || !outer) return false;
    return std::mismatch(outer->begin(), outer->end(), inner->begin(), inner->end()).first == outer->end();
}

}  // namespace

std::optional<std::string> tiles_refusal(const Settings& settings, const Palette& palette) {
    const std::string& folder = settings.output;
    if (std::holds_alternative<PaletteStops>(palette))
        return " The option -T colours through levels only, not by a palette file : " + settings.palette;
    if (settings.shading) return " The option -T makes tiles of colours only, not of a shaded relief (-S)";
    if (settings.width > 0) return " The option -T makes tiles of one pixel per cell: -W does not apply";
    if (settings.world_file) return " The option -T places the tiles in pyramid.json: -G does not apply";
    const NameText folder_text(folder, folder.size());
    std::int32_t state = GRIDLIB_TILE_FOLDER_BAD_NAME;
    gridlib_tile_folder_state(folder_text.data(), folder_text.length(), &state);
    switch (state) {
    case GRIDLIB_TILE_FOLDER_USABLE:
        break;
    case GRIDLIB_TILE_FOLDER_NOT_OURS:
        return " The tile folder holds files that rastrify did not write : " + folder;
    case GRIDLIB_TILE_FOLDER_NOT_A_FOLDER:
        return " The tile folder exists and is not a folder : " + folder;
    default:
        return " The tile folder needs a name of its own : " + folder;
    }
    // A grid of several files (a header beside its data) has them side by side.
    const std::string grid_file = settings.input.substr(0, settings.input.rfind('?'));
    if (lies_within(grid_file, folder)) return " The tile folder holds the input grid : " + folder;
    if (lies_within(settings.histogram_name, folder)) return " The tile folder holds the histogram file : " + folder;
    if (lies_within(settings.palette, folder) && is_regular_file(settings.palette))
        return " The tile folder holds the palette file : " + folder;
    // The pyramid replaces the whole folder: nothing else may be written into it.
    if (lies_within(settings.colour_bar, folder)) return " The colour bar would go inside the tile folder : " + folder;
    if (lies_within(settings.kept_name, folder))
        return " The histogram file to write would go inside the tile folder : " + folder;
    return std::nullopt;
}

std::optional<Failure> write_tiles(const Settings& settings, const NameText& input_text, const Descriptor& header,
                                   const NameText& work, const Descriptor& d, std::int32_t mapping,
                                   const LevelTable& levels, const ColourTable& colours) {
    const std::string& folder = settings.output;
    // Placed by the header as read, with every digit it has; a grid that
    // cannot be placed is shown in cells.
    double geotransform[6] = {};
    std::int32_t placed = GRIDLIB_REFUSED;
    gridlib_read_geotransform(input_text.data(), input_text.length(), header.integers(), header.reals(), geotransform,
                              &placed);
    const NameText title_text = title_of(settings.input);
    const NameText folder_text(folder, folder.size());
    const std::int32_t axis = bar_axis_of(settings);
    std::int32_t status = GRIDLIB_OK;
    gridlib_write_tile_pyramid(work.data(), work.length(), d.integers(), d.reals(), &mapping, levels.data(),
                               &colours.count, colours.values.data(), title_text.data(), title_text.length(), &axis,
                               placed == GRIDLIB_OK ? geotransform : nullptr, folder_text.data(),
                               folder_text.length(), &status);
    if (status != GRIDLIB_OK) return failure(status, pyramid_failure(status, folder));
    return std::nullopt;
}

}  // namespace gridlib::convert
