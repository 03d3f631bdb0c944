// C entry points of the whole conversion.
#include "gridlib.h"

#include "capi/c_args.h"
#include "convert/conversion.h"
#include "image/output_group.h"
#include "progress/progress.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

using namespace gridlib;

namespace {

// The fields of gridlib_convert_options, in their order: a caller's size is
// measured against them, so that no field is ever half written or half read
// (a pointer cut in two would be followed).
struct Field {
    std::size_t offset, size, alignment;
};
#define GRIDLIB_CONVERT_FIELD(name)                                                        \
    Field{offsetof(gridlib_convert_options, name), sizeof(gridlib_convert_options::name), \
          alignof(decltype(gridlib_convert_options::name))}
constexpr std::array kFields = {
    GRIDLIB_CONVERT_FIELD(size),           GRIDLIB_CONVERT_FIELD(distribution),
    GRIDLIB_CONVERT_FIELD(invert),         GRIDLIB_CONVERT_FIELD(width),
    GRIDLIB_CONVERT_FIELD(lower),          GRIDLIB_CONVERT_FIELD(upper),
    GRIDLIB_CONVERT_FIELD(histogram_file), GRIDLIB_CONVERT_FIELD(histogram_file_length),
    GRIDLIB_CONVERT_FIELD(shade),          GRIDLIB_CONVERT_FIELD(azimuth),
    GRIDLIB_CONVERT_FIELD(elevation),      GRIDLIB_CONVERT_FIELD(exaggeration),
    GRIDLIB_CONVERT_FIELD(world_file),     GRIDLIB_CONVERT_FIELD(palette),
    GRIDLIB_CONVERT_FIELD(palette_length), GRIDLIB_CONVERT_FIELD(colour_bar),
    GRIDLIB_CONVERT_FIELD(colour_bar_length), GRIDLIB_CONVERT_FIELD(keep_scale),
    GRIDLIB_CONVERT_FIELD(keep_scale_length), GRIDLIB_CONVERT_FIELD(progress),
    GRIDLIB_CONVERT_FIELD(note),           GRIDLIB_CONVERT_FIELD(user),
    GRIDLIB_CONVERT_FIELD(tiles),          GRIDLIB_CONVERT_FIELD(stop),
};
#undef GRIDLIB_CONVERT_FIELD

constexpr std::size_t round_up(std::size_t n, std::size_t alignment) {
    return (n + alignment - 1) / alignment * alignment;
}

// The table misses no field: each one starts where the one before it ends,
// or at the next multiple of its alignment, and the last ends the structure.
constexpr bool fields_cover_the_structure() {
    std::size_t end = 0;
    for (const Field& f : kFields) {
        if (f.offset != round_up(end, f.alignment)) return false;
        end = f.offset + f.size;
    }
    return round_up(end, alignof(gridlib_convert_options)) == sizeof(gridlib_convert_options);
}
static_assert(fields_cover_the_structure(), "a field of gridlib_convert_options is missing from kFields");

// The structure as first published, which every caller's structure holds.
constexpr std::size_t kFirstLayoutSize = offsetof(gridlib_convert_options, tiles);

// The bytes of a caller's structure of `size` bytes that hold whole fields
// this library knows: size, cut back to the start of a field it ends inside,
// and to the size of the structure known here.
std::size_t whole_fields(std::size_t size) {
    size = std::min(size, sizeof(gridlib_convert_options));
    for (const Field& f : kFields)
        if (f.offset < size && size < f.offset + f.size) return f.offset;
    return size;
}

gridlib_convert_options all_defaults() {
    gridlib_convert_options options{};
    options.size = static_cast<std::int32_t>(sizeof options);
    options.distribution = GRIDLIB_DISTRIBUTION_HIST;
    options.width = -1;
    options.lower = GRIDLIB_NULL_VALUE;
    options.upper = GRIDLIB_NULL_VALUE;
    const convert::Shading light;
    options.azimuth = light.azimuth;
    options.elevation = light.elevation;
    options.exaggeration = light.exaggeration;
    return options;
}

// Writes the defaults of the fields within the first `size` bytes and no byte beyond.
void write_defaults(gridlib_convert_options* options, std::size_t size) {
    if (!options || size < sizeof options->size) return;
    const std::size_t filled = whole_fields(size);
    gridlib_convert_options defaults = all_defaults();
    defaults.size = static_cast<std::int32_t>(filled);
    std::memcpy(static_cast<void*>(options), &defaults, filled);
}

enum class Merge { merged, missing, cut_field };

// The caller's options over the defaults: a caller built against an older
// header knows fewer fields, and those beyond its size keep their defaults.
Merge merged_options(const gridlib_convert_options* given, gridlib_convert_options& options) {
    options = all_defaults();
    if (!given) return Merge::merged;
    if (given->size < static_cast<std::int32_t>(offsetof(gridlib_convert_options, invert))) return Merge::missing;
    const auto size = static_cast<std::size_t>(given->size);
    const std::size_t known = whole_fields(size);
    if (known != std::min(size, sizeof options)) return Merge::cut_field;
    std::memcpy(static_cast<void*>(&options), given, known);
    options.size = static_cast<std::int32_t>(sizeof options);
    return Merge::merged;
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
    s.stop = o.stop;
    return s;
}

// Copies the text into the caller's buffer, NUL-terminated and cut to fit.
void give_text(std::string_view text, char* buffer, const std::int32_t* buffer_length) {
    if (!buffer || !buffer_length || *buffer_length <= 0) return;
    const auto n = std::min(text.size(), static_cast<std::size_t>(*buffer_length) - 1);
    if (n > 0) std::memcpy(buffer, text.data(), n);  // an empty text may have no characters at all
    buffer[n] = '\0';
}

// Runs the conversion; its failure, if any. A run stopped by its caller
// fails as stopped, whatever step the stop cut short.
std::optional<convert::Failure> run(const convert::Settings& settings, const gridlib_convert_options& o) {
    if (convert::stop_asked(settings)) return convert::stopped();
    std::optional<convert::Failure> failed;
    try {
        const progress::CallSink progress_of_call({o.progress, o.user, o.stop});
        const convert::Notes notes(o.note, o.user);
        failed = convert::convert(settings, notes);
    } catch (const std::exception& e) {
        failed = convert::Failure{GRIDLIB_REFUSED, std::string("  The conversion failed : ") + e.what()};
    } catch (...) {
        failed = convert::Failure{GRIDLIB_REFUSED, "  The conversion failed"};
    }
    if (failed && convert::stop_asked(settings)) return convert::stopped();
    return failed;
}

}  // namespace

extern "C" void gridlib_convert_defaults_sized(gridlib_convert_options* options, const int32_t* size) noexcept {
    if (size && *size > 0) write_defaults(options, static_cast<std::size_t>(*size));
}

// Parenthesised: gridlib.h makes the name a macro for the sized routine.
extern "C" void(gridlib_convert_defaults)(gridlib_convert_options* options) noexcept {
    write_defaults(options, kFirstLayoutSize);
}

extern "C" void gridlib_convert(const char* input, const int32_t* input_length, const char* output,
                                const int32_t* output_length, const gridlib_convert_options* options,
                                char* error_text, const int32_t* error_text_length, int32_t* status) noexcept {
    give_text({}, error_text, error_text_length);
    gridlib_convert_options o;
    const capi::FileName input_name(input, input_length), output_name(output, output_length);
    const Merge merge = merged_options(options, o);
    if (merge == Merge::cut_field) {
        give_text("  The conversion was refused : the size of its options structure, " +
                      std::to_string(options->size) + " bytes, ends inside a field",
                  error_text, error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
        return;
    }
    if (merge == Merge::missing || input_name.path.empty() || output_name.path.empty()) {
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
        const auto failed = run(settings_of(o, input_name.path, output_name.path), o);
        if (failed) {
            take_back();
            give_text(failed->line, error_text, error_text_length);
        }
        capi::set_status(status, failed ? failed->status : GRIDLIB_OK);
    } catch (...) {
        // Memory ran out for the settings or the failure line.
        take_back();
        give_text("  The conversion failed", error_text, error_text_length);
        capi::set_status(status, GRIDLIB_REFUSED);
    }
}
