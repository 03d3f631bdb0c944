// The checks of the colour limits, made before any file is read.
#pragma once

#include "convert/settings.h"

namespace gridlib::convert {

enum class LimitCheck { ok, log_needs_limits, not_valid };
// log needs positive ascending limits; otherwise limits are either both
// left out or ascending.
LimitCheck check_limits(const Settings& settings);

}  // namespace gridlib::convert
