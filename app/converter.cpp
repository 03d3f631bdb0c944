// One run of the converter: the names and options are settled before any
// file is read (prompting for a name not given), then the library makes the
// whole conversion while the converter prints what it reports. The converter
// is a client of gridlib.h alone.
#include "converter.h"

#include "console.h"
#include "files.h"
#include "options.h"
#include "progress_display.h"

#include "gridlib.h"

#include <array>
#include <exception>
#include <iostream>
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

// The options from argument 3 on. Empty when the run has to stop (the
// message is printed).
std::optional<Settings> settle_options(std::span<const std::string> arguments, Console& console) {
    Settings settings;
    if (arguments.size() <= 2) return settings;
    if (const auto error = apply_options(arguments.subspan(2), settings, file_exists)) {
        if (error->plain) {
            console.stop(error->text);
        } else {
            console.stop_line(error->text);
        }
        return std::nullopt;
    }
    return settings;
}

// The length of a name as the library takes it: its NUL included, so that
// the library opens exactly the name checked here (a name may end in blanks);
// 0 for none.
std::int32_t length_with_nul(const std::string& name) {
    return name.empty() ? 0 : static_cast<std::int32_t>(name.size() + 1);
}

void set_text(const std::string& text, const char*& field, std::int32_t& length) {
    field = text.c_str();
    length = length_with_nul(text);
}

// The settings as the library's options; the texts stay those of settings.
gridlib_convert_options options_of(const Settings& s) {
    gridlib_convert_options o;
    gridlib_convert_defaults(&o);
    o.distribution = static_cast<std::int32_t>(s.distribution);
    o.invert = s.invert ? 1 : 0;
    o.width = s.width;
    o.lower = s.lower;
    o.upper = s.upper;
    set_text(s.histogram_name, o.histogram_file, o.histogram_file_length);
    if (s.shading) {
        o.shade = 1;
        o.azimuth = s.shading->azimuth;
        o.elevation = s.shading->elevation;
        o.exaggeration = s.shading->exaggeration;
    }
    o.world_file = s.world_file ? 1 : 0;
    set_text(s.palette, o.palette, o.palette_length);
    set_text(s.colour_bar, o.colour_bar, o.colour_bar_length);
    set_text(s.kept_name, o.keep_scale, o.keep_scale_length);
    o.tiles = s.tiles ? 1 : 0;
    return o;
}

// Where the conversion's reports go while it runs.
struct Reports {
    Console& console;
    ProgressDisplay& progress;
};

void print_note(void* user, const char* text, const std::int32_t* length) {
    static_cast<Reports*>(user)->console.print(std::string_view(text, static_cast<std::size_t>(*length)));
}

void show_progress(void* user, const std::int32_t* phase, const std::int32_t* done, const std::int32_t* total) {
    static_cast<Reports*>(user)->progress.report(*phase, *done, *total);
}

// Bytes for the line that ends a failed conversion: a sentence and at most
// three names of kNameLength characters.
constexpr std::size_t kFailureLineSize = 4096;

}  // namespace

int convert(std::span<const std::string> arguments, Console& console) {
    console.start_text();
    ProgressDisplay progress(console);

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

    Reports reports{console, progress};
    gridlib_convert_options options = options_of(*settings);
    options.note = &print_note;
    if (progress.shown()) options.progress = &show_progress;
    options.user = &reports;
    // Everything the run prints is out before its outputs replace anything
    // (each note is written out as it comes): a closed standard output ends
    // the run before the library renames them into place, with nothing changed.
    console.flush();
    std::array<char, kFailureLineSize> failure{};
    const std::int32_t input_length = length_with_nul(*input), output_length = length_with_nul(*output);
    const auto failure_size = static_cast<std::int32_t>(failure.size());
    std::int32_t status = GRIDLIB_OK;
    gridlib_convert(input->c_str(), &input_length, output->c_str(), &output_length, &options, failure.data(),
                    &failure_size, &status);
    if (status == GRIDLIB_OK) return 0;
    console.stop(failure.data());
    return 1;
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
