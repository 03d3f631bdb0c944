// A conversion's tile pyramid.
#include "convert/tiles.h"

#include "convert/colour_bar.h"
#include "convert/failures.h"
#include "convert/files.h"

#include "gridlib.h"

#include <cmath>
#include <optional>
#include <variant>

namespace gridlib::convert {
namespace {

// The folder's path joined to a path within it.
std::string within(const std::string& folder, const std::string& path) {
    return folder.ends_with('/') ? folder + path : folder + "/" + path;
}

// The library's verdict on the folder, with the first thing in it that no
// pyramid wrote.
struct FolderCheck {
    std::int32_t state = GRIDLIB_TILE_FOLDER_BAD_NAME;
    std::string foreign;
};
FolderCheck check_folder(const std::string& folder) {
    const NameText folder_text(folder, folder.size());
    // Any path within the folder fits: the name is cut only past the longest a system takes.
    std::string foreign(4096 + folder.size(), '\0');
    const std::int32_t length = static_cast<std::int32_t>(foreign.size());
    FolderCheck check;
    gridlib_tile_folder_check(folder_text.data(), folder_text.length(), &check.state, foreign.data(), &length);
    check.foreign = foreign.c_str();
    return check;
}

// What makes the folder no longer usable, if anything.
std::optional<std::string> folder_change(const std::string& folder) {
    const FolderCheck check = check_folder(folder);
    if (check.state == GRIDLIB_TILE_FOLDER_NOT_OURS)
        return "the folder now holds " + within(folder, check.foreign) + ", which rastrify did not write";
    if (check.state == GRIDLIB_TILE_FOLDER_UNCHANGEABLE)
        return "the folder now holds " + within(folder, check.foreign) + ", which rastrify may not change";
    if (check.state == GRIDLIB_TILE_FOLDER_NOT_A_FOLDER) return "the folder's name now names no folder";
    return std::nullopt;
}

// Why the library refused a pyramid whose options and folder were checked
// before: the colour limits, which a histogram file gives unchecked, or the
// folder, changed since.
std::string refusal_cause(const std::string& folder, Descriptor d, std::int32_t axis) {
    const float lower = d.colour_min(), upper = d.colour_max();
    if (!std::isfinite(lower) || !std::isfinite(upper)) return "the colour limits are not finite numbers";
    if (!(lower < upper)) return "the colour limits do not ascend";
    if (axis == GRIDLIB_BAR_LOG && !(lower > 0)) return "the colour limits of a log colour bar are not above 0";
    const auto changed = folder_change(folder);
    return changed ? *changed : "the tile writer refused its arguments";
}

}  // namespace

std::optional<std::string> tiles_refusal(const Settings& settings, const Palette& palette) {
    const std::string& folder = settings.output;
    if (std::holds_alternative<PaletteStops>(palette))
        return " The option -T colours through levels only, not by a palette file : " + settings.palette;
    if (settings.shading) return " The option -T makes tiles of colours only, not of a shaded relief (-S)";
    if (settings.width > 0) return " The option -T makes tiles of one pixel per cell: -W does not apply";
    if (settings.world_file) return " The option -T places the tiles in pyramid.json: -G does not apply";
    const FolderCheck check = check_folder(folder);
    if (check.state == GRIDLIB_TILE_FOLDER_NOT_A_FOLDER) return " The tile folder exists and is not a folder : " + folder;
    if (check.state == GRIDLIB_TILE_FOLDER_BAD_NAME) return " The tile folder needs a name of its own : " + folder;
    // Named before the folder's other files: the run would replace them.
    // A grid of several files (a header beside its data) has them side by side.
    const std::string grid_file = settings.input.substr(0, settings.input.rfind('?'));
    if (lies_within(grid_file, folder)) return " The tile folder holds the input grid : " + folder;
    if (lies_within(settings.histogram_name, folder)) return " The tile folder holds the histogram file : " + folder;
    if (lies_within(settings.palette, folder) && is_regular_file(settings.palette))
        return " The tile folder holds the palette file : " + folder;
    if (check.state == GRIDLIB_TILE_FOLDER_NOT_OURS)
        return " The tile folder holds a file that rastrify did not write : " + within(folder, check.foreign);
    if (check.state == GRIDLIB_TILE_FOLDER_UNCHANGEABLE)
        return " The tile folder holds a folder that rastrify may not change : " + within(folder, check.foreign);
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
    if (status == GRIDLIB_REFUSED) return failure(status, pyramid_failure(status, folder, refusal_cause(folder, d, axis)));
    if (status != GRIDLIB_OK) return failure(status, pyramid_failure(status, folder, {}));
    return std::nullopt;
}

Failure tiles_commit_failure(const Settings& settings) {
    const std::string& folder = settings.output;
    // A folder that changed since the pyramid was written is refused at the commit.
    if (const auto changed = folder_change(folder))
        return failure(GRIDLIB_REFUSED, pyramid_failure(GRIDLIB_REFUSED, folder, *changed));
    return failure(GRIDLIB_IMAGE_WRITE_FAILED, pyramid_failure(GRIDLIB_IMAGE_WRITE_FAILED, folder, {}));
}

}  // namespace gridlib::convert
