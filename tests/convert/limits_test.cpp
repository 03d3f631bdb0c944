#include "convert/limits.h"

#include <gtest/gtest.h>

namespace gridlib::convert {
namespace {

TEST(Limits, ChecksBeforeAnyFileIsRead) {
    Settings s;
    EXPECT_EQ(check_limits(s), LimitCheck::ok);
    s.lower = 5.0f;  // -m alone
    EXPECT_EQ(check_limits(s), LimitCheck::not_valid);
    s = Settings{};
    s.upper = 5.0f;  // -M alone passes, the lower limit stays unset
    EXPECT_EQ(check_limits(s), LimitCheck::ok);
    s.lower = 5.0f;  // equal
    EXPECT_EQ(check_limits(s), LimitCheck::not_valid);
    s.lower = 6.0f;  // inverted
    EXPECT_EQ(check_limits(s), LimitCheck::not_valid);
    s.lower = -1.0e31f;  // both at or below the threshold count as left out
    s.upper = -2.0e31f;
    EXPECT_EQ(check_limits(s), LimitCheck::ok);

    Settings log;
    log.distribution = Distribution::log;
    EXPECT_EQ(check_limits(log), LimitCheck::log_needs_limits);
    log.lower = 0.0f;
    log.upper = 10.0f;
    EXPECT_EQ(check_limits(log), LimitCheck::log_needs_limits);
    log.lower = 0.5f;
    EXPECT_EQ(check_limits(log), LimitCheck::ok);
    log.upper = 0.25f;
    EXPECT_EQ(check_limits(log), LimitCheck::log_needs_limits);
}

}  // namespace
}  // namespace gridlib::convert
