// The names and options are checked before any file is read, then the
// library builds the colour table, reads the header, reduces the grid to the
// working grid, fills the level table and draws the image.
#include "convert/conversion.h"

#include "convert/colour_bar.h"
#include "convert/descriptor.h"
#include "convert/failures.h"
#include "convert/files.h"
#include "convert/finite_values.h"
#include "convert/level_choice.h"
#include "convert/limits.h"
#include "convert/name_text.h"
#include "convert/output_refusals.h"
#include "convert/output_set.h"
#include "convert/palette.h"
#include "convert/shaded_relief.h"
#include "convert/tiles.h"
#include "convert/working_file.h"

#include "gridlib.h"

#include <variant>
#include <vector>

namespace gridlib::convert {
namespace {

// The checks made before anything is read: the grid exists, the limits can
// be used, the palette is known (a palette file is read now) and suits the
// outputs asked for. The palette chosen, or the failure that ends the run.
std::variant<Palette, Failure> check_before_reading(const Settings& settings) {
    // A stop message of its own, printed without the blank column.
    if (!grid_file_exists(settings.input)) return Failure{GRIDLIB_REFUSED, " the grid file does not exist"};
    // rastrify cannot read such a value from its text; a caller of the
    // library hands it over as a float, and meets the same refusal.
    if (auto refusal = non_finite_option(settings)) return failure(GRIDLIB_REFUSED, *refusal);
    switch (check_limits(settings)) {
    case LimitCheck::ok:
        break;
    case LimitCheck::log_needs_limits:
        return failure(GRIDLIB_REFUSED, " The min and max data values have to be supplied for log histogram option");
    case LimitCheck::not_valid:
        return failure(GRIDLIB_REFUSED, " The min and max data values are not valid");
    }
    // rastrify refuses such a light among its options; a caller of the
    // library meets the same limits here.
    if (settings.shading && !(settings.shading->elevation >= 0.0f && settings.shading->elevation <= 90.0f))
        return failure(GRIDLIB_REFUSED, " The light elevation of the shaded relief is not between 0 and 90 degrees");
    if (settings.shading && !(settings.shading->exaggeration > 0.0f))
        return failure(GRIDLIB_REFUSED, " The vertical exaggeration of the shaded relief is not above 0");
    auto chosen = choose_palette(settings.palette);
    if (std::holds_alternative<Failure>(chosen)) return std::get<Failure>(std::move(chosen));
    Palette palette = std::get<Palette>(std::move(chosen));
    if (!settings.kept_name.empty() && std::holds_alternative<PaletteStops>(palette))
        return failure(GRIDLIB_REFUSED,
                       " The histogram file is kept for levels only, not for a palette file : " + settings.palette);
    return palette;
}

// Places the GeoTIFF image on a map: where the grid lies, in its coordinate
// system when it is a GeoTIFF itself. A grid that cannot be placed (a cell
// size that is zero or not a number) still draws, as an image without geo
// tags; a world file asked for reports it.
void place_geotiff(const NameText& image, const NameText& input, Descriptor& d) {
    std::int32_t status = GRIDLIB_OK;
    gridlib_place_geotiff(image.data(), image.length(), input.data(), input.length(), d.integers(), d.reals(),
                          &status);
}

// Reads the whole grid into the working grid; the failure that ends the run, if any.
std::optional<Failure> read_grid(const NameText& input, const NameText& work, Descriptor& d) {
    const std::int32_t step = 1;
    const std::int32_t format = d.format();
    const std::int32_t rows = d.rows();
    std::int32_t status = GRIDLIB_OK;
    GRDRDG(input.data(), input.length(), work.data(), work.length(), d.integers(), d.reals(), &d.west_x(),
           &d.east_x(), &step, &d.south_y(), &d.north_y(), &step, &status);
    if (status != GRIDLIB_OK) return failure(status, grid_read_failure(status, format, rows));
    // An image of nothing but null cells is not what was asked for, whatever
    // the colour limits: the run says so instead of reporting success.
    if (!(d.data_min() <= d.data_max()))
        return failure(GRIDLIB_REFUSED, " The grid holds no valid value: there is nothing to draw");
    return std::nullopt;
}

// The world file of the image of the working grid d, placed from the
// grid's header when the working grid is the whole grid, as it is when read
// with steps of 1 over the header's extent.
void write_world_file(const NameText& image, const NameText& input, const Descriptor& header, const Descriptor& d,
                      std::int32_t width, std::int32_t& status) {
    if (d.columns() == header.columns() && d.rows() == header.rows()) {
        gridlib_write_grid_world_file(image.data(), image.length(), input.data(), input.length(), header.integers(),
                                      header.reals(), &width, &status);
    } else {
        gridlib_write_world_file(image.data(), image.length(), d.integers(), d.reals(), &width, &status);
    }
}

// What the drawing steps share: the names as the library takes them, where
// temporary files go, and the kind of image for messages.
struct Drawing {
    const Settings& settings;
    const NameText& input;
    const Descriptor& header;  // as read, placing the whole grid
    const NameText& work;
    const NameText& output;
    const std::string& directory;
    const std::string& image_kind;
};

// A palette file's image: every cell coloured by its value, at the width
// asked for, or its shaded relief (the levels options do not apply), and
// its colour bar.
std::optional<Failure> draw_by_value(const Drawing& at, const PaletteStops& stops, Descriptor& d,
                                     const Descriptor& slopes) {
    std::int32_t status = GRIDLIB_OK;
    if (!at.settings.shading) {
        gridlib_draw_palette_image(at.work.data(), at.work.length(), at.output.data(), at.output.length(),
                                   d.integers(), d.reals(), &stops.count, stops.values.data(), stops.kinds.data(),
                                   stops.colours.data(), stops.extra.data(), &status);
        if (status != GRIDLIB_OK) return failure(status, image_failure(status, at.image_kind));
    } else {
        // The shaded relief's colour steps are equal bins over the data range.
        d.colour_min() = d.data_min();
        d.colour_max() = widened_upper(d.data_min(), d.data_max());
        const std::int32_t mapping = GRIDLIB_MAPPING_LINEAR;
        if (auto failed = draw_shaded_relief(*at.settings.shading, at.directory, at.work, at.output, d, slopes,
                                             mapping, LevelTable{}, at.image_kind, step_colours(stops, d)))
            return failed;
    }
    if (at.settings.colour_bar.empty()) return std::nullopt;
    return write_palette_file_bar(at.settings, at.settings.input, at.work, d, stops);
}

// A colour table's image through the levels, flat or shaded, and its colour bar.
std::optional<Failure> draw_by_levels(const Drawing& at, const ColourTable& colours, Descriptor& d,
                                      const Descriptor& slopes, std::int32_t width, const Notes& notes) {
    const Settings& settings = at.settings;
    auto chosen = choose_levels(settings, at.work, d, notes);
    if (const auto* failed = std::get_if<Failure>(&chosen)) return *failed;
    if (!settings.kept_name.empty() && !keep_scale(settings.kept_name, d, std::get<ChosenLevels>(chosen)))
        return failure(GRIDLIB_REFUSED, " The histogram file could not be written : " + settings.kept_name);
    auto& [levels, mapping] = std::get<ChosenLevels>(chosen);
    if (settings.invert) mapping = -mapping;
    d.image_width() = width;  // used up by the image writer

    if (settings.shading) {
        // The default rainbow keeps the tinted rainbow of the shaded writer.
        const auto steps = settings.palette.empty() ? std::vector<std::int32_t>() : step_colours(colours);
        if (auto failed = draw_shaded_relief(*settings.shading, at.directory, at.work, at.output, d, slopes,
                                             mapping, levels, at.image_kind, steps))
            return failed;
    } else if (settings.tiles) {
        if (auto failed = write_tiles(settings, at.input, at.header, at.work, d, mapping, levels, colours))
            return failed;
    } else {
        // GRD2BMP draws a TIFF as well, by its name.
        const auto draw = at.image_kind == "PNG" ? GRD2PNG : GRD2BMP;
        std::int32_t status = GRIDLIB_OK;
        draw(at.work.data(), at.work.length(), at.output.data(), at.output.length(), d.integers(), d.reals(),
             &mapping, levels.data(), &colours.count, colours.values.data(), &status);
        if (status != GRIDLIB_OK) return failure(status, image_failure(status, at.image_kind));
    }
    if (settings.colour_bar.empty()) return std::nullopt;
    // The rainbow's shaded relief has colours of its own, which its bar shows
    // as on level ground; a chosen palette's bar shows the palette, which its
    // relief lightens and darkens.
    const BarColours bar_colours = settings.shading && settings.palette.empty()
                                       ? level_ground_colours()
                                       : BarColours{colours.count, colours.values};
    return write_colour_bar(settings, settings.input, at.work, d, mapping, levels, bar_colours);
}

}  // namespace

std::optional<Failure> convert(const Settings& settings, const Notes& notes) {
    auto checked = check_before_reading(settings);
    if (const auto* failed = std::get_if<Failure>(&checked)) return *failed;
    const Palette& palette = std::get<Palette>(checked);

    Descriptor d;
    const NameText input_text(settings.input, kNameLength);
    std::int32_t status = GRIDLIB_OK;
    GRDRDH(input_text.data(), input_text.length(), d.integers(), d.reals(), d.band_names(), d.band_name_length(),
           &status);
    if (status < 0) return failure(status, header_failure(status, d.format(), settings.input));
    // The header as read places the whole grid with every digit its file
    // has; the working grid's descriptor holds 32-bit reals.
    const Descriptor header = d;
    // A tile pyramid's output is a folder, of which no image kind is made.
    const std::string image_kind = settings.tiles ? std::string() : image_kind_of(settings.output);
    const std::string world_file = settings.world_file ? world_file_name(settings.output) : std::string();
    if (settings.tiles)
        if (auto refusal = tiles_refusal(settings, palette)) return failure(GRIDLIB_REFUSED, *refusal);
    if (auto refusal = outputs_refusal(settings, palette, image_kind, world_file, input_text, d))
        return failure(GRIDLIB_REFUSED, *refusal);

    // Beside the image, so that the working grid lands on the disk that has
    // to hold the result anyway, and never in another run's way. Beside a
    // tile folder too, however its name is spelt ("out/"): never inside the
    // earlier pyramid that the new one replaces.
    const std::string directory = directory_of(
        settings.tiles ? settings.output.substr(0, settings.output.find_last_not_of('/') + 1) : settings.output);
    const WorkingFile work(directory);
    if (!work.created())
        return failure(work.status(), " The working grid file could not be created in " +
                                          (directory.empty() ? std::string("the current directory") : directory));
    const NameText work_text(work.path(), work.path().size() + 1);
    const NameText output_text(settings.output, kNameLength);
    // From the header as read, before the grid is.
    if (image_kind == "TIFF") place_geotiff(output_text, input_text, d);
    if (auto failed = read_grid(input_text, work_text, d)) return failed;

    OutputSet outputs;
    // One pixel per column unless a width is asked for. The world file is
    // written first, so that a grid it cannot place (a cell size that is
    // zero or not a number) is refused before the image is drawn.
    const std::int32_t width = settings.width > 0 ? settings.width : d.columns();
    if (settings.world_file) {
        write_world_file(output_text, input_text, header, d, width, status);
        if (status != GRIDLIB_OK) return failure(status, world_file_failure(status, world_file));
    }

    // The slopes of a shaded relief are taken in metres: a grid in degrees
    // gets its spacings converted (GRDGRAD reads no colour limits, so the
    // copy may be taken before they are chosen).
    const Descriptor slopes = settings.shading ? slope_descriptor(input_text, header, d, notes) : d;
    const Drawing at{settings, input_text, header, work_text, output_text, directory, image_kind};
    std::optional<Failure> failed;
    if (const auto* stops = std::get_if<PaletteStops>(&palette)) {
        d.image_width() = width;
        failed = draw_by_value(at, *stops, d, slopes);
    } else {
        failed = draw_by_levels(at, std::get<ColourTable>(palette), d, slopes, width, notes);
    }
    if (failed) return failed;
    // The last moment a stop can undo the run: after it the outputs are in place.
    if (stop_asked(settings)) return stopped();
    if (!outputs.commit())
        return settings.tiles ? tiles_commit_failure(settings)
                              : failure(GRIDLIB_IMAGE_WRITE_FAILED, image_failure(GRIDLIB_IMAGE_WRITE_FAILED, image_kind));
    return std::nullopt;
}

}  // namespace gridlib::convert
