// The real-valued options a caller of the library sets directly, where
// rastrify reads them from text: a value no 32-bit real holds (an infinity
// from an overflow, a NaN) is refused as rastrify refuses its text.
#pragma once

#include "convert/settings.h"

#include <optional>
#include <string>

namespace gridlib::convert {

// The message that refuses the first option that is not a finite number, in
// the order rastrify reads them (the limits, then the light of a shaded
// relief asked for); none when every one is finite.
std::optional<std::string> non_finite_option(const Settings& settings);

}  // namespace gridlib::convert
