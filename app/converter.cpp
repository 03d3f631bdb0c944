// One conversion from start to end: the names and options are settled and
// checked before any file is read, then the library builds the colour table,
// reads the header, reduces the grid to the working grid, fills the level
// table and draws the image. The converter is a client of gridlib.h alone.
#include "converter.h"

#include "colour_bar.h"
#include "console.h"
#include "descriptor.h"
#include "failures.h"
#include "files.h"
#include "levels.h"
#include "name_text.h"
#include "options.h"
#include "palette.h"
#include "progress_display.h"
#include "shaded_relief.h"
#include "tiles.h"
#include "working_file.h"

#include "gridlib.h"

#include <exception>
#include <iostream>
#include <numeric>
#include <variant>
#include <vector>

namespace rastrify {
namespace {

// Obtains a name from an argument or, when there is none, from a prompt.
// Empty when the run has to stop (the message is printed).
std::optional<std::string> obtain_name(std::span<const std::string> arguments, std::size_t index,
                                       std::string_view prompt, const char* what, Console& console) {
    std::string text;
    if (index < arguments.size()) {
        text = arguments[index];
    } else if (auto answer = console.ask(prompt)) {
        text = std::move(*answer);
    } else {
        console.stop_line(message::no_answer);
        return std::nullopt;
    }
    std::string name = file_name(text);
    if (name.size() > kNameLength) {
        console.stop_line(std::string(" The name of the ") + what + " is longer than 256 characters");
        return std::nullopt;
    }
    return name;
}

// The options from argument 3 on and the checks of the colour limits. Empty
// when the run has to stop (the message is printed).
std::optional<Settings> settle_options(std::span<const std::string> arguments, Console& console) {
    Settings settings;
    if (arguments.size() > 2) {
        if (const auto error = apply_options(arguments.subspan(2), settings, file_exists)) {
            if (error->plain) {
                console.stop(error->text);
            } else {
                console.stop_line(error->text);
            }
            return std::nullopt;
        }
    }
    switch (check_limits(settings)) {
    case LimitCheck::ok:
        return settings;
    case LimitCheck::log_needs_limits:
        console.stop_line(message::log_needs_limits);
        return std::nullopt;
    case LimitCheck::not_valid:
        console.stop_line(message::limits_not_valid);
        return std::nullopt;
    }
    return std::nullopt;
}

// The level table the image is drawn through and the mapping mode that says
// whether it is used at all.
struct ChosenLevels {
    LevelTable levels{};
    std::int32_t mapping = GRIDLIB_MAPPING_THROUGH_LEVELS;
};

// Sets the colour limits in the descriptor and chooses the levels: from the
// histogram file, or counts (hist) or a synthetic log distribution, then
// equalised; none for a linear mapping. Returns them, or the message that
// ends the run.
std::variant<ChosenLevels, std::string> choose_levels(const Settings& settings, const NameText& work, Descriptor& d,
                                                      Console& console) {
    const bool given = limits_given(settings.lower, settings.upper);
    ChosenLevels chosen;
    LevelTable& levels = chosen.levels;
    if (!settings.histogram_name.empty()) {
        if (given) console.line(message::limits_ignored);
        HistogramFile histogram;
        switch (read_histogram_file(settings.histogram_name, histogram)) {
        case HistogramRead::ok:
            break;
        case HistogramRead::cannot_open:
            return " The histogram file could not be read : " + settings.histogram_name;
        case HistogramRead::too_short:
            return " The histogram file is shorter than " + std::to_string(kHistogramFileSize) +
                   " bytes : " + settings.histogram_name;
        }
        d.colour_min() = histogram.lower;
        d.colour_max() = histogram.upper;
        levels = histogram.levels;  // ready levels: not equalised
        return chosen;
    }
    switch (settings.distribution) {
    case Distribution::hist: {
        if (given) {
            d.colour_min() = settings.lower;
            d.colour_max() = settings.upper;
        }
        const float tail_fraction = 0.99f;
        std::int32_t status = GRIDLIB_OK;
        GRDHST(work.data(), work.length(), d.integers(), d.reals(), &tail_fraction, levels.data(), &status);
        if (status != GRIDLIB_OK) return histogram_failure(status);
        equalise(levels, d.colour_min(), d.colour_max());
        break;
    }
    case Distribution::lin:
        chosen.mapping = GRIDLIB_MAPPING_LINEAR;
        if (given) {
            d.colour_min() = settings.lower;
            d.colour_max() = settings.upper;
        } else {
            d.colour_min() = d.data_min();
            d.colour_max() = d.data_max();
            // A grid of one value would give equal limits and no image; like
            // hist, draw it in the first colour. Any real spread, however
            // small (gradients in SI units span 1e-9), is kept as it is.
            if (d.colour_min() == d.colour_max())
                d.colour_max() = widened_upper(d.colour_min(), d.colour_max());
        }
        break;
    case Distribution::log:
        d.colour_min() = settings.lower;
        d.colour_max() = settings.upper;
        fill_log_distribution(levels);
        equalise(levels, d.colour_min(), d.colour_max());
        break;
    }
    return chosen;
}

// An output file (the image, or its world file, named `what` in messages)
// must destroy no input and replace nothing but a regular file (a symbolic
// link is followed: the file it names is replaced). Returns the message
// that ends the run, if any.
std::optional<std::string> output_refusal(const std::string& output, const std::string& what, const NameText& input,
                                          const Descriptor& d, const Settings& settings) {
    const NameText output_text(output, output.size());
    std::int32_t belongs = 0;
    gridlib_file_belongs_to_grid(input.data(), input.length(), d.integers(), output_text.data(),
                                 output_text.length(), &belongs);
    if (belongs) return " The " + what + " is a file of the input grid : " + output;
    if (!settings.histogram_name.empty() && same_file(output, settings.histogram_name))
        return " The " + what + " is the histogram file : " + output;
    if (!settings.palette.empty() && same_file(output, settings.palette))
        return " The " + what + " is the palette file : " + output;
    if (exists_as_non_regular(output)) return " The " + what + " is not a regular file : " + output;
    return std::nullopt;
}

// The name of the image's world file, as the library makes it.
std::string world_file_name(const std::string& image) {
    const NameText image_text(image, kNameLength);
    std::string name(image.size() + 8, '\0');
    const auto length = static_cast<std::int32_t>(name.size());
    std::int32_t status = GRIDLIB_OK;
    gridlib_world_file_name(image_text.data(), image_text.length(), name.data(), &length, &status);
    name.resize(name.find('\0'));
    return name;
}

// The refusals of the image (a BMP or PNG, its kind) and, when one is
// asked for, of its world file; the message that ends the run, if any.
std::optional<std::string> outputs_refusal(const std::string& image, const std::string& kind,
                                           const std::string& world_file, const NameText& input, const Descriptor& d,
                                           const Settings& settings) {
    if (auto refusal = output_refusal(image, "output " + kind + " file", input, d, settings)) return refusal;
    if (world_file.empty()) return std::nullopt;
    if (auto refusal = output_refusal(world_file, "world file", input, d, settings)) return refusal;
    if (same_file(world_file, image)) return " The world file is the output " + kind + " file : " + world_file;
    return std::nullopt;
}

// An output beside the image (the colour bar, the histogram file -K writes;
// `what` in messages) is refused as every output is, and may be neither the
// image (`image_what`) nor its world file (by name too: neither need exist
// yet). The message that ends the run, if any.
std::optional<std::string> companion_refusal(const std::string& name, const std::string& what,
                                             const std::string& image, const std::string& image_what,
                                             const std::string& world_file, const NameText& input,
                                             const Descriptor& d, const Settings& settings) {
    if (name.empty()) return std::nullopt;
    if (auto refusal = output_refusal(name, what, input, d, settings)) return refusal;
    const std::string is = " The " + what + " is ";
    if (name == image || same_file(name, image)) return is + image_what + " : " + name;
    if (!world_file.empty() && (name == world_file || same_file(name, world_file)))
        return is + "the world file : " + name;
    return std::nullopt;
}

// Keeps the limits and levels the image is drawn with (-K), for the next
// grids to be drawn alike; a linear mapping keeps the levels it stands for,
// one per bin. False when the file could not be written.
bool keep_scale(const std::string& kept, Descriptor& d, const ChosenLevels& chosen) {
    LevelTable levels = chosen.levels;
    if (chosen.mapping == GRIDLIB_MAPPING_LINEAR) std::iota(levels.begin(), levels.end(), 1);
    const NameText kept_text(kept, kept.size() + 1);
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_write_histogram_file(kept_text.data(), kept_text.length(), &d.colour_min(), &d.colour_max(),
                                 levels.data(), &status);
    return status == GRIDLIB_OK;
}

// The run's outputs, the image and its world file, renamed into place
// together once every one is complete, or not at all: until then each stays
// under a temporary name beside its target, and any ending of the run
// removes them.
class Outputs {
public:
    Outputs() {
        std::int32_t status = GRIDLIB_REFUSED;
        gridlib_begin_outputs(&status);
        open_ = status == GRIDLIB_OK;
    }
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;
    ~Outputs() {
        if (open_) gridlib_discard_outputs();
    }
    // False when a rename failed: every target is then as it was.
    bool commit() {
        std::int32_t status = GRIDLIB_REFUSED;
        gridlib_commit_outputs(&status);
        open_ = false;  // the group is closed either way
        return status == GRIDLIB_OK;
    }

private:
    bool open_ = false;
};

// Places the GeoTIFF image on a map: where the grid lies, in its coordinate
// system when it is a GeoTIFF itself. A grid that cannot be placed (a cell
// size that is zero or not a number) still draws, as an image without geo
// tags; -G reports it through the world file.
void place_geotiff(const NameText& image, const NameText& input, Descriptor& d) {
    std::int32_t status = GRIDLIB_OK;
    gridlib_place_geotiff(image.data(), image.length(), input.data(), input.length(), d.integers(), d.reals(),
                          &status);
}

// Reads the whole grid into the working grid; false when the run has to stop
// (the message is printed).
bool read_grid(const NameText& input, const NameText& work, Descriptor& d, Console& console) {
    const std::int32_t step = 1;
    const std::int32_t format = d.format();
    const std::int32_t rows = d.rows();
    std::int32_t status = GRIDLIB_OK;
    GRDRDG(input.data(), input.length(), work.data(), work.length(), d.integers(), d.reals(), &d.west_x(),
           &d.east_x(), &step, &d.south_y(), &d.north_y(), &step, &status);
    if (status != GRIDLIB_OK) {
        console.stop_line(grid_read_failure(status, format, rows));
        return false;
    }
    // An image of nothing but null cells is not what was asked for, whatever
    // the colour limits: the run says so instead of reporting success.
    if (!(d.data_min() <= d.data_max())) {
        console.stop_line(" The grid holds no valid value: there is nothing to draw");
        return false;
    }
    return true;
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

// A palette file's image: every cell coloured by its value, one pixel per
// cell, or its shaded relief (the levels options do not apply). Returns the
// message that ends the run, if any.
std::optional<std::string> draw_by_value(const PaletteStops& stops, const Settings& settings,
                                         const std::string& directory, const NameText& work,
                                         const NameText& output, Descriptor& d, const Descriptor& slopes,
                                         const std::string& image_kind) {
    std::int32_t status = GRIDLIB_OK;
    if (!settings.shading) {
        gridlib_draw_palette_image(work.data(), work.length(), output.data(), output.length(), d.integers(),
                                   d.reals(), &stops.count, stops.values.data(), stops.kinds.data(),
                                   stops.colours.data(), stops.extra.data(), &status);
        if (status != GRIDLIB_OK) return image_failure(status, image_kind);
        return std::nullopt;
    }
    // The shaded relief's colour steps are equal bins over the data range.
    d.colour_min() = d.data_min();
    d.colour_max() = widened_upper(d.data_min(), d.data_max());
    const std::int32_t mapping = GRIDLIB_MAPPING_LINEAR;
    return draw_shaded_relief(*settings.shading, directory, work, output, d, slopes, mapping, LevelTable{},
                              image_kind, step_colours(stops, d));
}

}  // namespace

int convert(std::span<const std::string> arguments, Console& console) {
    console.start_text();
    const ProgressDisplay progress(console);

    const auto input = obtain_name(arguments, 0, message::input_prompt, "input grid file", console);
    if (!input) return 1;
    if (!grid_file_exists(*input)) {
        console.stop(message::grid_missing);
        return 1;
    }
    const auto output = obtain_name(arguments, 1, message::output_prompt, "output BMP file", console);
    if (!output) return 1;
    const auto settings = settle_options(arguments, console);
    if (!settings) return 1;

    auto chosen_palette = choose_palette(settings->palette);
    if (const auto* failure = std::get_if<std::string>(&chosen_palette)) {
        console.stop_line(*failure);
        return 1;
    }
    const Palette& palette = std::get<Palette>(chosen_palette);
    // A bar of colours by value, as palette files give them, is not drawn:
    // refused before anything is read rather than left out unsaid.
    if (!settings->colour_bar.empty() && std::holds_alternative<PaletteStops>(palette)) {
        console.stop_line(" The colour bar is drawn for levels only, not for a palette file : " + settings->palette);
        return 1;
    }
    if (!settings->kept_name.empty() && std::holds_alternative<PaletteStops>(palette)) {
        console.stop_line(" The histogram file is kept for levels only, not for a palette file : " + settings->palette);
        return 1;
    }

    Descriptor d;
    const NameText input_text(*input, kNameLength);
    std::int32_t status = GRIDLIB_OK;
    GRDRDH(input_text.data(), input_text.length(), d.integers(), d.reals(), d.band_names(), d.band_name_length(),
           &status);
    if (status < 0) {
        console.stop_line(header_failure(status, d.format(), *input));
        return 1;
    }
    // The header as read places the whole grid with every digit its file
    // has; the working grid's descriptor holds 32-bit reals.
    const Descriptor header = d;
    // A tile pyramid's output is a folder, of which no image kind is made.
    const std::string image_kind = settings->tiles ? std::string() : image_kind_of(*output);
    const std::string world_file = settings->world_file ? world_file_name(*output) : std::string();
    if (const auto refusal = settings->tiles
                                 ? tiles_refusal(*settings, palette, *input, *output)
                                 : outputs_refusal(*output, image_kind, world_file, input_text, d, *settings)) {
        console.stop_line(*refusal);
        return 1;
    }
    if (const auto refusal = companion_refusal(settings->colour_bar, "colour bar", *output, "the output image file",
                                               world_file, input_text, d, *settings)) {
        console.stop_line(*refusal);
        return 1;
    }
    const std::string kept = settings->kept_name;
    if (const auto refusal = companion_refusal(kept, "histogram file to write", *output,
                                               "the output " + image_kind + " file", world_file, input_text, d,
                                               *settings)) {
        console.stop_line(*refusal);
        return 1;
    }
    if (!kept.empty() && (kept == settings->colour_bar || same_file(kept, settings->colour_bar))) {
        console.stop_line(" The histogram file to write is the colour bar : " + kept);
        return 1;
    }

    // Beside the image, so that the working grid lands on the disk that has
    // to hold the result anyway, and never in another run's way.
    const std::string directory = directory_of(*output);
    const WorkingFile work(directory);
    if (!work.created()) {
        console.stop_line(" The working grid file could not be created in " +
                          (directory.empty() ? std::string("the current directory") : directory));
        return 1;
    }
    const NameText work_text(work.path(), work.path().size() + 1);
    const NameText output_text(*output, kNameLength);
    // From the header as read, before the grid is.
    if (image_kind == "TIFF") place_geotiff(output_text, input_text, d);
    if (!read_grid(input_text, work_text, d, console)) return 1;

    Outputs outputs;
    // One pixel per column unless a width is asked for. The world file is
    // written first, so that a grid it cannot place (a cell size that is
    // zero or not a number) is refused before the image is drawn.
    // A palette file's flat image has one pixel per cell, and its world file says so.
    const bool one_pixel_per_cell = std::holds_alternative<PaletteStops>(palette) && !settings->shading;
    const std::int32_t width = settings->width > 0 && !one_pixel_per_cell ? settings->width : d.columns();
    if (settings->world_file) {
        write_world_file(output_text, input_text, header, d, width, status);
        if (status != GRIDLIB_OK) {
            console.stop_line(world_file_failure(status, world_file));
            return 1;
        }
    }

    // The slopes of a shaded relief are taken in metres: a grid in degrees
    // gets its spacings converted (GRDGRAD reads no colour limits, so the
    // copy may be taken before they are chosen).
    const Descriptor slopes = settings->shading ? slope_descriptor(input_text, header, d, console) : d;
    if (const auto* stops = std::get_if<PaletteStops>(&palette)) {
        d.image_width() = width;  // read by the shaded relief only
        if (const auto failure =
                draw_by_value(*stops, *settings, directory, work_text, output_text, d, slopes, image_kind)) {
            console.stop_line(*failure);
            return 1;
        }
    } else {
        const ColourTable& colours = std::get<ColourTable>(palette);
        auto chosen = choose_levels(*settings, work_text, d, console);
        if (const auto* failure = std::get_if<std::string>(&chosen)) {
            console.stop_line(*failure);
            return 1;
        }
        if (!settings->kept_name.empty() && !keep_scale(settings->kept_name, d, std::get<ChosenLevels>(chosen))) {
            console.stop_line(" The histogram file could not be written : " + settings->kept_name);
            return 1;
        }
        auto& [levels, mapping] = std::get<ChosenLevels>(chosen);
        if (settings->invert) mapping = -mapping;
        d.image_width() = width;  // used up by the image writer

        if (settings->shading) {
            // The default rainbow keeps the tinted rainbow of the shaded writer.
            const auto steps = settings->palette.empty() ? std::vector<std::int32_t>() : step_colours(colours);
            if (const auto failure = draw_shaded_relief(*settings->shading, directory, work_text, output_text, d,
                                                        slopes, mapping, levels, image_kind, steps)) {
                console.stop_line(*failure);
                return 1;
            }
        } else if (settings->tiles) {
            if (const auto failure = write_tiles(*settings, *input, input_text, header, work_text, d, mapping, levels,
                                                 colours, *output)) {
                console.stop_line(*failure);
                return 1;
            }
        } else {
            // GRD2BMP draws a TIFF as well, by its name.
            const auto draw = image_kind == "PNG" ? GRD2PNG : GRD2BMP;
            draw(work_text.data(), work_text.length(), output_text.data(), output_text.length(), d.integers(),
                 d.reals(), &mapping, levels.data(), &colours.count, colours.values.data(), &status);
            if (status != GRIDLIB_OK) {
                console.stop_line(image_failure(status, image_kind));
                return 1;
            }
        }
        if (!settings->colour_bar.empty()) {
            // The rainbow's shaded relief has colours of its own, which its
            // bar shows as on level ground; a chosen palette's bar shows the
            // palette, which its relief lightens and darkens.
            const BarColours bar_colours = settings->shading && settings->palette.empty()
                                               ? level_ground_colours()
                                               : BarColours{colours.count, colours.values};
            if (const auto failure = write_colour_bar(*settings, *input, work_text, d, mapping, levels, bar_colours)) {
                console.stop_line(*failure);
                return 1;
            }
        }
    }
    // Everything the run prints is out before its outputs replace anything:
    // a closed standard output ends the run here, with nothing changed.
    console.flush();
    if (!outputs.commit()) {
        console.stop_line(image_failure(GRIDLIB_IMAGE_WRITE_FAILED, image_kind));
        return 1;
    }
    return 0;
}

int run(int argc, char** argv) {
    gridlib_remove_temporary_files_on_signals();
    Console console(std::cin, std::cout, std::cerr);
    try {
        const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
        return convert(arguments, console);
    } catch (const std::exception& e) {
        console.stop_line(std::string(" The conversion failed : ") + e.what());
        return 1;
    }
}

}  // namespace rastrify
