// Option classification and the limit checks.
#include "options.h"

#include "console.h"
#include "free_format.h"

#include <algorithm>

namespace rastrify {

OptionKind classify(std::string_view a) {
    const std::string_view head = a.substr(0, 2);
    if (head == "-I") return OptionKind::invert;
    if (head == "-W" || head == "-w") return OptionKind::width;
    if (head == "-m") return OptionKind::lower;
    if (head == "-M") return OptionKind::upper;
    if (head == "-H" || head == "-h") return OptionKind::distribution;
    if (head == "-S") return OptionKind::shading;
    if (head == "-G") return OptionKind::world_file;
    if (head == "-L") return OptionKind::colour_bar;
    if (head == "-C") return OptionKind::palette;
    if (head == "-K") return OptionKind::kept_scale;
    if (head == "-T") return OptionKind::tiles;
    return OptionKind::histogram_file;
}

Distribution distribution_from(std::string_view value, Distribution current) {
    // "hist" and "lin" share their second letter, so hist is recognised by
    // its first one before the second decides between lin and log.
    if (!value.empty() && (value[0] == 'h' || value[0] == 'H')) return Distribution::hist;
    if (value.size() < 2) return current;
    switch (value[1]) {
    case 'i':
    case 'I':
        return Distribution::lin;
    case 'o':
    case 'O':
        return Distribution::log;
    default:
        return current;
    }
}

std::string file_name(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) return std::string(text.substr(0, nul));
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

namespace {

OptionError not_a_number(std::string_view argument) {
    return {" The value of the option " + std::string(argument.substr(0, 2)) +
                " is missing or not a number : " + std::string(argument),
            false};
}

// -S, -Sazimuth, -Sazimuth,elevation or -Sazimuth,elevation,factor: a value
// left out keeps its default. Each value ends at its comma, as free-format
// reading has it; before factors were taken, a third value was passed over,
// and an empty one still is.
std::optional<OptionError> read_shading(std::string_view argument, std::string_view value, Shading& shading) {
    if (value.empty()) return std::nullopt;
    const auto comma = value.find(',');
    const auto second = comma == std::string_view::npos ? comma : value.find(',', comma + 1);
    const auto azimuth = free_real(value.substr(0, comma));
    const auto elevation = comma == std::string_view::npos ? std::optional(shading.elevation)
                                                           : free_real(value.substr(comma + 1));
    const std::string_view factor_text = second == std::string_view::npos ? "" : value.substr(second + 1);
    const bool factor_left_out = factor_text.find_first_not_of(' ') == std::string_view::npos;
    const auto factor = factor_left_out ? std::optional(shading.exaggeration) : free_real(factor_text);
    if (!azimuth || !elevation || !factor) return not_a_number(argument);
    if (!(*elevation >= 0.0f && *elevation <= 90.0f))
        return OptionError{" The light elevation of the option -S is not between 0 and 90 degrees : " +
                               std::string(argument),
                           false};
    if (!(*factor > 0.0f))
        return OptionError{" The vertical exaggeration of the option -S is not above 0 : " + std::string(argument),
                           false};
    shading = {*azimuth, *elevation, *factor};
    return std::nullopt;
}

std::optional<OptionError> read_kept_name(std::string_view value, std::string& kept_name) {
    std::string name = file_name(value);
    if (name.empty()) return OptionError{" The option -K needs the name of the histogram file to write", false};
    if (name.size() > kNameLength)
        return OptionError{" The name of the histogram file to write is longer than 256 characters", false};
    kept_name = std::move(name);
    return std::nullopt;
}

// -Lname: the colour bar's file, an SVG or a PNG by its extension.
std::optional<OptionError> read_colour_bar(std::string_view argument, std::string_view value, std::string& name) {
    std::string bar = file_name(value);
    if (bar.size() > kNameLength)
        return OptionError{" The name of the colour bar is longer than 256 characters", false};
    const auto extension = bar.size() >= 4 ? bar.substr(bar.size() - 4) : std::string();
    std::string lower;
    for (const char c : extension) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (bar.size() <= 4 || (lower != ".svg" && lower != ".png"))
        return OptionError{" The colour bar of the option -L needs a name ending in .svg or .png : " +
                               std::string(argument),
                           false};
    name = std::move(bar);
    return std::nullopt;
}

}  // namespace

std::optional<OptionError> apply_options(std::span<const std::string> arguments, Settings& s,
                                         const std::function<bool(const std::string&)>& file_exists) {
    for (const std::string& argument : arguments) {
        const std::string_view value = std::string_view(argument).substr(std::min<std::size_t>(2, argument.size()));
        switch (classify(argument)) {
        case OptionKind::invert:
            s.invert = true;
            break;
        case OptionKind::width:
            if (const auto w = free_integer(value)) {
                s.width = *w;
            } else {
                return not_a_number(argument);
            }
            break;
        case OptionKind::lower:
        case OptionKind::upper:
            if (const auto z = free_real(value)) {
                (classify(argument) == OptionKind::lower ? s.lower : s.upper) = *z;
            } else {
                return not_a_number(argument);
            }
            break;
        case OptionKind::distribution:
            s.distribution = distribution_from(value, s.distribution);
            break;
        case OptionKind::shading:
            if (auto error = read_shading(argument, value, s.shading.emplace())) return error;
            break;
        case OptionKind::world_file:
            s.world_file = true;
            break;
        case OptionKind::colour_bar:
            if (auto error = read_colour_bar(argument, value, s.colour_bar)) return error;
            break;
        case OptionKind::palette:
            s.palette = file_name(value);
            break;
        case OptionKind::tiles:
            s.tiles = true;
            break;
        case OptionKind::kept_scale:
            if (auto error = read_kept_name(value, s.kept_name)) return error;
            break;
        case OptionKind::histogram_file: {
            std::string name = file_name(argument);
            if (name.size() > kNameLength)
                return OptionError{" The name of the histogram file is longer than 256 characters", false};
            if (!file_exists(name)) return OptionError{std::string(message::histogram_missing), true};
            s.histogram_name = std::move(name);
            break;
        }
        }
    }
    return std::nullopt;
}

}  // namespace rastrify
