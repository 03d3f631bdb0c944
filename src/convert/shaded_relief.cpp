// The shaded relief: the gradient writer, then the shaded image writer.
#include "convert/shaded_relief.h"

#include "convert/failures.h"
#include "convert/working_file.h"

#include "gridlib.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>

namespace gridlib::convert {
namespace {

constexpr std::size_t kSlopeSteps = 64;

// The light vector (east, north, up) and the illumination shown darkest and
// brightest. Level ground receives sin(elevation) of the full light and is
// drawn at half brightness; the scale spans kContrast of the full light on
// either side, so that slopes stand out alike under a high and a low sun.
struct Sun {
    float x, y, z, dark, bright;
};

constexpr double kContrast = 0.3;

Sun sun_of(const Shading& light) {
    const double azimuth = light.azimuth * std::numbers::pi / 180.0;
    const double elevation = light.elevation * std::numbers::pi / 180.0;
    const double level = std::sin(elevation);
    return {static_cast<float>(std::sin(azimuth) * std::cos(elevation)),
            static_cast<float>(std::cos(azimuth) * std::cos(elevation)), static_cast<float>(level),
            static_cast<float>(level - kContrast), static_cast<float>(level + kContrast)};
}

}  // namespace

Descriptor slope_descriptor(const NameText& input, const Descriptor& header, const Descriptor& d, const Notes& notes) {
    std::int32_t geographic = 0;
    gridlib_grid_is_geographic(input.data(), input.length(), header.integers(), header.reals(), &geographic);
    if (!geographic) return d;
    Descriptor slopes = d;
    float column = 0.0f, row = 0.0f, latitude = 0.0f;
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_ground_spacing(d.integers(), d.reals(), &column, &row, &latitude, &status);
    if (status != GRIDLIB_OK) {
        notes.line(" The grid is in degrees, but its rows lie beyond the poles: the slopes take its own spacing");
        return slopes;
    }
    slopes.reals()[GRIDLIB_COLUMN_SPACING] = column;
    slopes.reals()[GRIDLIB_ROW_SPACING] = row;
    std::ostringstream text;
    text.precision(3);
    text << std::fixed << " The grid is in degrees: the slopes take 111120 m a degree, x times the cosine of latitude "
         << latitude;
    notes.line(text.str());
    return slopes;
}

std::optional<Failure> draw_shaded_relief(const Shading& light, const std::string& directory, const NameText& work,
                                          const NameText& output, Descriptor& d, const Descriptor& slopes,
                                          std::int32_t mapping, const LevelTable& levels, const std::string& image_kind,
                                          const std::vector<std::int32_t>& step_colours) {
    const WorkingFile gradient(directory, ".slopes");
    if (!gradient.created())
        return failure(gradient.status(), " The gradient file could not be created in " +
                                              (directory.empty() ? std::string("the current directory") : directory));
    const NameText gradient_text(gradient.path(), gradient.path().size() + 1);

    std::array<float, kSlopeSteps> slope_table{};
    std::int32_t status = GRIDLIB_OK;
    GRDGRAD(work.data(), work.length(), gradient_text.data(), gradient_text.length(), slopes.integers(),
            slopes.reals(), &light.exaggeration, slope_table.data(), &status);
    if (status != GRIDLIB_OK) return failure(status, gradient_failure(status));

    // The shaded writer reverses the slope steps along with the colours; a
    // reversed table reverses them back, so that only the colours turn round.
    const std::int32_t invert_flag = mapping < 0 ? 2 : 0;
    if (mapping < 0) std::reverse(slope_table.begin(), slope_table.end());
    const std::int32_t depth = 24, mode = std::abs(mapping);
    const Sun sun = sun_of(light);
    if (step_colours.empty()) {
        GRDSUN2BMP(work.data(), work.length(), gradient_text.data(), gradient_text.length(), output.data(),
                   output.length(), d.integers(), d.reals(), &depth, &invert_flag, &mode, levels.data(), nullptr,
                   nullptr, &sun.x, &sun.y, &sun.z, &sun.dark, &sun.bright, slope_table.data(), &status);
    } else {
        gridlib_draw_shaded_steps(work.data(), work.length(), gradient_text.data(), gradient_text.length(),
                                  output.data(), output.length(), d.integers(), d.reals(), &invert_flag, &mode,
                                  levels.data(), step_colours.data(), &sun.x, &sun.y, &sun.z, &sun.dark, &sun.bright,
                                  slope_table.data(), &status);
    }
    if (status != GRIDLIB_OK) return failure(status, image_failure(status, image_kind));
    return std::nullopt;
}

}  // namespace gridlib::convert
