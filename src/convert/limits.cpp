// The colour limits a conversion can use.
#include "convert/limits.h"

namespace gridlib::convert {

LimitCheck check_limits(const Settings& s) {
    if (s.distribution == Distribution::log &&
        !(limits_given(s.lower, s.upper) && s.lower > 0.0f && s.upper > 0.0f))
        return LimitCheck::log_needs_limits;
    const bool both_left_out = s.lower <= kLimitThreshold && s.upper <= kLimitThreshold;
    if (!limits_given(s.lower, s.upper) && !both_left_out) return LimitCheck::not_valid;
    return LimitCheck::ok;
}

}  // namespace gridlib::convert
