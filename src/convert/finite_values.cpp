// Refusals of options that are not finite numbers.
#include "convert/finite_values.h"

#include <cmath>

namespace gridlib::convert {
namespace {

// rastrify's words for a value it cannot read as a number, with the option
// named by what it sets; the value as C prints it (inf, -inf, nan).
std::string not_a_number(const std::string& what, float value) {
    const std::string text = std::isnan(value) ? "nan" : value > 0.0f ? "inf" : "-inf";
    return " The value of the " + what + " is not a number : " + text;
}

}  // namespace

std::optional<std::string> non_finite_option(const Settings& s) {
    if (!std::isfinite(s.lower)) return not_a_number("lower colour limit", s.lower);
    if (!std::isfinite(s.upper)) return not_a_number("upper colour limit", s.upper);
    if (!s.shading) return std::nullopt;
    // Without shading these fields are not used, as rastrify reads them only with -S.
    if (!std::isfinite(s.shading->azimuth))
        return not_a_number("light azimuth of the shaded relief", s.shading->azimuth);
    if (!std::isfinite(s.shading->elevation))
        return not_a_number("light elevation of the shaded relief", s.shading->elevation);
    if (!std::isfinite(s.shading->exaggeration))
        return not_a_number("vertical exaggeration of the shaded relief", s.shading->exaggeration);
    return std::nullopt;
}

}  // namespace gridlib::convert
