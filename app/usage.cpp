// The help and version answers. Only the long forms are taken: a run's first
// argument is the input grid's name, and "-h" or "-V" may well name a file.
#include "usage.h"

#include "gridlib.h"

namespace rastrify {

std::string usage_text() {
    return "Usage: rastrify infil outfil [histfile] [options]\n"
           "       rastrify --help | --version\n"
           "\n"
           "Converts the grid file infil into the image outfil: a PNG when its name ends\n"
           "in .png, a GeoTIFF when in .tif or .tiff (any case), otherwise a BMP. Without\n"
           "names, rastrify asks for them. An option's value follows its letters in the\n"
           "same argument (-W800, -m0.5); later options override earlier ones. -W and\n"
           "-H may also be written -w and -h; any other argument names a histogram file.\n"
           "\n"
           "  histfile      a histogram file: the colour limits and levels to draw with\n"
           "  -Wwidth       target pixels per image line (0 or less: one per grid column)\n"
           "  -I            invert the colour order\n"
           "  -mZmin        the data value of the first colour\n"
           "  -MZmax        the data value of the last colour\n"
           "  -Hhist        histogram equalisation (the default)\n"
           "  -Hlin         colours spread linearly between the limits\n"
           "  -Hlog         colours spread logarithmically; needs -m and -M, both above 0\n"
           "  -S[azimuth[,elevation[,factor]]]\n"
           "                a shaded relief, lit from azimuth degrees clockwise from north\n"
           "                (315) and elevation degrees above the horizon (45), the slopes\n"
           "                exaggerated factor times (1)\n"
           "  -G            also write a world file beside the image\n"
           "  -Lname.svg, -Lname.png\n"
           "                also write the image's colour bar\n"
           "  -Cpalette     colour with a named palette (rainbow, grey, viridis, cividis,\n"
           "                magma, turbo, terrain, diverging) or a palette file (a GMT .cpt\n"
           "                or a GDAL colour-relief text file)\n"
           "  -Kkeptfile    also write the histogram file the image is drawn with\n"
           "  -T            write a tile pyramid and its browser viewer into the folder\n"
           "                outfil instead of an image\n"
           "  --help        print this text and exit\n"
           "  --version     print the version and exit\n"
           "\n"
           "The manual page rastrify(1) tells more.\n";
}

std::string version_text() {
    char version[GRIDLIB_VERSION_TEXT_SIZE] = {};
    const std::int32_t length = sizeof version;
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_version(version, &length, &status);
    return std::string("rastrify ") + (status == GRIDLIB_OK ? version : "(version unknown)") + "\n";
}

std::optional<int> answer_query(std::span<const std::string> arguments, std::ostream& out) {
    if (arguments.size() != 1) return std::nullopt;
    if (arguments[0] == "--help") {
        out << usage_text();
    } else if (arguments[0] == "--version") {
        out << version_text();
    } else {
        return std::nullopt;
    }
    // A closed or full standard output is a failure, not an answer.
    out.flush();
    return out ? 0 : 1;
}

}  // namespace rastrify
