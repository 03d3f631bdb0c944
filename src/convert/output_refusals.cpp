// Refusals of the outputs, by name and by the files the names lead to.
#include "convert/output_refusals.h"

#include "convert/files.h"

#include "gridlib.h"

#include <cstdint>
#include <variant>

namespace gridlib::convert {
namespace {

// Every output is compared with the inputs and the other outputs by
// same_destination (convert/files.h): by the file it names and by the path
// it would be written at, since an output that does not exist yet may still
// be a link to where another output goes.

// An output file (named `what` in messages) must destroy no input and
// replace nothing but a regular file (a symbolic link is followed: the file
// it names is replaced). Returns the message that ends the run, if any.
std::optional<std::string> output_refusal(const std::string& output, const std::string& what, const NameText& input,
                                          const Descriptor& d, const Settings& settings, bool palette_file) {
    const NameText output_text(output, output.size());
    std::int32_t belongs = 0;
    gridlib_file_belongs_to_grid(input.data(), input.length(), d.integers(), output_text.data(),
                                 output_text.length(), &belongs);
    if (belongs) return " The " + what + " is a file of the input grid : " + output;
    if (same_destination(output, settings.histogram_name))
        return " The " + what + " is the histogram file : " + output;
    // A palette known by name reads no file, whatever files share its name.
    if (palette_file && same_destination(output, settings.palette))
        return " The " + what + " is the palette file : " + output;
    if (exists_as_non_regular(output)) return " The " + what + " is not a regular file : " + output;
    return std::nullopt;
}

// The refusals of the image (a BMP or PNG, its kind) and, when one is
// asked for, of its world file; the message that ends the run, if any.
std::optional<std::string> image_refusal(const std::string& image, const std::string& kind,
                                         const std::string& world_file, const NameText& input, const Descriptor& d,
                                         const Settings& settings, bool palette_file) {
    if (auto refusal = output_refusal(image, "output " + kind + " file", input, d, settings, palette_file))
        return refusal;
    if (world_file.empty()) return std::nullopt;
    if (auto refusal = output_refusal(world_file, "world file", input, d, settings, palette_file)) return refusal;
    if (same_destination(world_file, image)) return " The world file is the output " + kind + " file : " + world_file;
    return std::nullopt;
}

// An output beside the image (the colour bar, the histogram file to write;
// `what` in messages) is refused as every output is, and may be neither the
// image (`image_what`) nor its world file. The message that ends the run, if any.
std::optional<std::string> companion_refusal(const std::string& name, const std::string& what,
                                             const std::string& image, const std::string& image_what,
                                             const std::string& world_file, const NameText& input,
                                             const Descriptor& d, const Settings& settings, bool palette_file) {
    if (name.empty()) return std::nullopt;
    if (auto refusal = output_refusal(name, what, input, d, settings, palette_file)) return refusal;
    const std::string is = " The " + what + " is ";
    if (same_destination(name, image)) return is + image_what + " : " + name;
    if (same_destination(name, world_file)) return is + "the world file : " + name;
    return std::nullopt;
}

}  // namespace

std::string world_file_name(const std::string& image) {
    const NameText image_text(image, kNameLength);
    std::string name(image.size() + 8, '\0');
    const auto length = static_cast<std::int32_t>(name.size());
    std::int32_t status = GRIDLIB_OK;
    gridlib_world_file_name(image_text.data(), image_text.length(), name.data(), &length, &status);
    name.resize(name.find('\0'));
    return name;
}

std::optional<std::string> outputs_refusal(const Settings& settings, const Palette& palette,
                                           const std::string& image_kind, const std::string& world_file,
                                           const NameText& input, const Descriptor& d) {
    const std::string& image = settings.output;
    const bool palette_file = std::holds_alternative<PaletteStops>(palette);
    // A tile folder has refusals of its own (convert/tiles.h), checked first.
    if (!settings.tiles)
        if (auto refusal = image_refusal(image, image_kind, world_file, input, d, settings, palette_file))
            return refusal;
    if (auto refusal = companion_refusal(settings.colour_bar, "colour bar", image, "the output image file",
                                         world_file, input, d, settings, palette_file))
        return refusal;
    const std::string& kept = settings.kept_name;
    if (auto refusal = companion_refusal(kept, "histogram file to write", image,
                                         "the output " + image_kind + " file", world_file, input, d, settings,
                                         palette_file))
        return refusal;
    if (same_destination(kept, settings.colour_bar))
        return " The histogram file to write is the colour bar : " + kept;
    return std::nullopt;
}

}  // namespace gridlib::convert
