// One conversion from start to end: the names and options are settled and
// checked before any file is read, then the library builds the colour table,
// reads the header, reduces the grid to the working grid, fills the level
// table and draws the image.
#include "converter.h"

#include "console.h"
#include "failures.h"
#include "levels.h"
#include "options.h"
#include "working_file.h"

#include "descriptor/grid_descriptor.h"
#include "gridlib.h"
#include "platform/cleanup.h"
#include "platform/file.h"

#include <exception>
#include <iostream>
#include <vector>

namespace rastrify {
namespace {

namespace platform = gridlib::platform;

constexpr std::int32_t kBandNameLength = 512;

// A name as the library takes it: a fixed-length text with its length. The
// NUL ends the name, so the library opens exactly the name checked here.
class NameText {
public:
    // The text is at least length characters; a NUL follows the name when it fits.
    NameText(const std::string& name, std::size_t length) : text_(name) {
        if (text_.size() < length) text_.push_back('\0');
        text_.resize(std::max(length, text_.size()), ' ');
        length_ = static_cast<std::int32_t>(text_.size());
    }
    const char* data() const { return text_.data(); }
    const std::int32_t* length() const { return &length_; }

private:
    std::string text_;
    std::int32_t length_;
};

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

// Sets the colour limits in the descriptor and fills the level table: from
// the histogram file, or counts (hist) or a synthetic log distribution, then
// equalised. Returns the message that ends the run, if any.
std::optional<std::string> choose_levels(const Settings& settings, const NameText& work,
                                         gridlib::GridDescriptor& grid, LevelTable& levels, std::int32_t& mapping,
                                         Console& console) {
    gridlib::DescriptorView d = grid.view();
    const bool given = limits_given(settings.lower, settings.upper);
    if (!settings.histogram_name.empty()) {
        if (given) console.line(message::limits_ignored);
        HistogramFile histogram;
        switch (read_histogram_file(settings.histogram_name, histogram)) {
        case HistogramRead::ok:
            break;
        case HistogramRead::cannot_open:
            return " The histogram file could not be read : " + settings.histogram_name;
        case HistogramRead::too_short:
            return " The histogram file is shorter than 16394 bytes : " + settings.histogram_name;
        }
        d.colour_min() = histogram.lower;
        d.colour_max() = histogram.upper;
        levels = histogram.levels;  // ready levels: not equalised
        mapping = 2;
        return std::nullopt;
    }
    switch (settings.distribution) {
    case Distribution::hist: {
        if (given) {
            d.colour_min() = settings.lower;
            d.colour_max() = settings.upper;
        }
        const float tail_fraction = 0.99f;
        std::int32_t status = 0;
        GRDHST(work.data(), work.length(), grid.ihead.data(), grid.rhead.data(), &tail_fraction, levels.data(),
               &status);
        if (status != 0) return histogram_failure(status);
        equalise(levels, d.colour_min(), d.colour_max());
        mapping = 2;
        break;
    }
    case Distribution::lin:
        mapping = 1;
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
        mapping = 2;
        break;
    }
    return std::nullopt;
}

}  // namespace

int convert(std::span<const std::string> arguments, Console& console) {
    console.start_text();

    const auto input = obtain_name(arguments, 0, message::input_prompt, "input grid file", console);
    if (!input) return 1;
    if (!platform::file_exists(*input)) {
        console.stop(message::grid_missing);
        return 1;
    }
    const auto output = obtain_name(arguments, 1, message::output_prompt, "output BMP file", console);
    if (!output) return 1;

    Settings settings;
    if (arguments.size() > 2) {
        if (const auto error = apply_options(arguments.subspan(2), settings, platform::file_exists)) {
            if (error->plain) {
                console.stop(error->text);
            } else {
                console.stop_line(error->text);
            }
            return 1;
        }
    }
    switch (check_limits(settings)) {
    case LimitCheck::ok:
        break;
    case LimitCheck::log_needs_limits:
        console.stop_line(message::log_needs_limits);
        return 1;
    case LimitCheck::not_valid:
        console.stop_line(message::limits_not_valid);
        return 1;
    }

    // Colour scheme 2: white for null cells, black, then the 236 ramp colours.
    const std::int32_t scheme = 2;
    const float light_azimuth = 0.0f, light_elevation = 0.0f;
    const std::int32_t packed_colours = 0, user_colour_count = 0;
    const float user_colour_table = 0.0f;
    std::int32_t colour_count = 0;
    std::vector<std::int32_t> colour_table(3 * GRIDLIB_COLOURS, 0);
    COLORMAP(&scheme, &light_azimuth, &light_elevation, &packed_colours, &user_colour_count, &user_colour_table,
             &colour_count, colour_table.data());

    gridlib::GridDescriptor grid(kBandNameLength);
    gridlib::DescriptorView d = grid.view();
    const NameText input_text(*input, kNameLength);
    std::int32_t status = 0;
    GRDRDH(input_text.data(), input_text.length(), grid.ihead.data(), grid.rhead.data(), grid.band_names.data(),
           &kBandNameLength, &status);
    if (status < 0) {
        console.stop_line(std::string(message::format_unknown) + std::to_string(status));
        return 1;
    }

    // Beside the image, so that the working grid lands on the disk that has
    // to hold the result anyway, and never in another run's way.
    const WorkingFile work(platform::directory_of(*output));
    if (!work.created()) {
        const std::string dir = platform::directory_of(*output);
        console.stop_line(" The working grid file could not be created in " +
                          (dir.empty() ? std::string("the current directory") : dir));
        return 1;
    }
    const NameText work_text(work.path(), work.path().size() + 1);
    const std::int32_t step = 1;
    const std::int32_t format = d.format_code();
    GRDRDG(input_text.data(), input_text.length(), work_text.data(), work_text.length(), grid.ihead.data(),
           grid.rhead.data(), &d.west_x(), &d.east_x(), &step, &d.south_y(), &d.north_y(), &step, &status);
    if (status != 0) {
        console.stop_line(grid_read_failure(status, format));
        return 1;
    }
    // An image of nothing but null cells is not what was asked for, whatever
    // the colour limits: the run says so instead of reporting success.
    if (!(d.data_min() <= d.data_max())) {
        console.stop_line(" The grid holds no valid value: there is nothing to draw");
        return 1;
    }

    LevelTable levels{};
    std::int32_t mapping = 2;  // through the level table
    if (const auto failure = choose_levels(settings, work_text, grid, levels, mapping, console)) {
        console.stop_line(*failure);
        return 1;
    }
    if (settings.invert) mapping = -mapping;
    d.image_width() = settings.width > 0 ? settings.width : d.columns();

    const NameText output_text(*output, kNameLength);
    GRD2BMP(work_text.data(), work_text.length(), output_text.data(), output_text.length(), grid.ihead.data(),
            grid.rhead.data(), &mapping, levels.data(), &colour_count, colour_table.data(), &status);
    if (status != 0) {
        console.stop_line(image_failure(status));
        return 1;
    }
    return 0;
}

int run(int argc, char** argv) {
    platform::remove_registered_files_on_signals();
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
