// C entry points of the whole conversion.
#include "gridlib.h"

#include "capi/c_args.h"
#include "convert/conversion.h"
#include "image/output_group.h"
#include "progress/progress.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

using namespace gridlib;

namespace {

// The caller's options over the defaults: a caller built against an older
// header knows fewer fields, and those beyond its size keep their defaults.
// False when the size cannot be that of any version of the structure.
bool merged_options(const gridlib_convert_options* given, gridlib_convert_options& options) {
    gridlib_convert_defaults(&options);
    if (!given) return true;
    if (given->size < static_cast<std::int32_t>(offsetof(gridlib_convert_options, invert))) return false;
    const auto known = std::min(static_cast<std::size_t>(given->size), sizeof options);
    std::memcpy(static_cast<void*>(&options), given, known);
    options.size = static_cast<std::int32_t>(sizeof options);
    return true;
}

convert::Settings settings_of(const gridlib_convert_options& o, std::string input, std::string output) {
    convert::Settings s;
    s.input = std::move(input);
    s.output = std::move(output);
    s.distribution = static_cast<convert::Distribution>(o.distribution);
    s.invert = o.invert != 0;
    s.width = o.width;
    s.lower = o.lower;
    s.upper = o.upper;
    s.histogram_name = capi::FileName(o.histogram_file, &o.histogram_file_length).path;
    if (o.shade) s.shading = convert::Shading{o.azimuth, o.elevation, o.exaggeration};
    s.world_file = o.world_file != 0;
    s.palette = capi::FileName(o.palette, &o.palette_length).path;
    s.colour_bar = capi::FileName(o.colour_bar, &o.colour_bar_length).path;
    s.kept_name = capi::FileName(o.keep_scale, &o.keep_scale_length).path;
    s.tiles = o.tiles != 0;
    return s;
}

// Copies the text into the caller's buffer, NUL-terminated and cut to fit.
void give_text(std::string_view text, char* buffer, const std::int32_t* buffer_length) {
    if (!buffer || !buffer_length || *buffer_length <= 0) return;
    const auto n = std::min(text.size(), static_cast<std::size_t>(*buffer_length) - 1);
    if (n > 0) std::memcpy(buffer, text.data(), n);  // an empty text may have no characters at all
    buffer[n] = '\0';
}

}  // namespace

extern "C" void gridlib_convert_defaults(gridlib_convert_options* options) noexcept {
    if (!options) return;
    *options = gridlib_convert_options{};
    options->size = static_cast<std::int32_t>(sizeof *options);
    options->distribution = GRIDLIB_DISTRIBUTION_HIST;
    options->width = -1;
    options->lower = GRIDLIB_NULL_VALUE;
    options->upper = GRIDLIB_NULL_VALUE;
    const convert::Shading light;
    options->azimuth = light.azimuth;
    options->elevation = light.elevation;
    options->exaggeration = light.exaggeration;
}

extern "C" void gridlib_convert(const char* input, const int32_t* input_length, const char* output,
                                const int32_t* output_length, const gridlib_convert_options* options,
                                char* error_text, const int32_t* error_text_length, int32_t* status) noexcept {
    give_text({}, error_text, error_text_length);
    gridlib_convert_options o;
    const capi::FileName input_name(input, input_length), output_name(output, output_length);
    if (!merged_options(options, o) || input_name.path.empty() || output_name.path.empty()) {
        give_text(" The conversion was refused : its names or options structure are missing", error_text,
                  error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    if (o.distribution != GRIDLIB_DISTRIBUTION_HIST && o.distribution != GRIDLIB_DISTRIBUTION_LIN &&
        o.distribution != GRIDLIB_DISTRIBUTION_LOG) {
        // Not drawn as some other distribution: the caller meant something this library does not know.
        give_text("  The levels distribution is not hist, lin or log : " + std::to_string(o.distribution),
                  error_text, error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    // The caller's own group, if one is open, receives the conversion's
    // outputs; a conversion that fails takes them back out, so that the
    // caller's commit never puts half of it in place.
    OutputGroup* const callers_group = OutputGroup::current();
    const OutputGroup::Mark before = callers_group ? callers_group->mark() : OutputGroup::Mark{};
    const auto take_back = [&] {
        if (callers_group && OutputGroup::current() == callers_group) callers_group->discard_since(before);
    };
    try {
        const progress::CallSink progress_of_call({o.progress, o.user});
        const convert::Notes notes(o.note, o.user);
        const auto failed = convert::convert(settings_of(o, input_name.path, output_name.path), notes);
        if (failed) {
            take_back();
            give_text(failed->line, error_text, error_text_length);
        }
        capi::set_status(status, failed ? failed->status : GRIDLIB_OK);
    } catch (const std::exception& e) {
        take_back();
        give_text(std::string("  The conversion failed : ") + e.what(), error_text, error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
    } catch (...) {
        take_back();
        give_text("  The conversion failed", error_text, error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}
