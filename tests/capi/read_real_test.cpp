// gridlib_read_real: the library's reading of numbers for its callers.
#include "gridlib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct Case {
    std::string text;
    int32_t used;
    float value;
};

TEST(ReadReal, ReadsTheNumberAtTheStartAndSaysHowLongItIs) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"1.5D3", 5, 1500.0f},  {"-2e-1,", 5, -0.2f},  {"0.1", 3, 0.1f},   {"7.", 2, 7.0f},
        {"2E+x", 1, 2.0f},      {"1.5+03", 3, 1.5f},   {"1e39", 4, kInf},  {"-1e400", 6, -kInf},
        {"1e-50", 5, 0.0f},     {" 1", 0, 0.0f},       {"nan", 0, 0.0f},   {"", 0, 0.0f},
    };
    for (const Case& c : cases) {
        const int32_t length = static_cast<int32_t>(c.text.size());
        float value = -99.0f;
        int32_t used = -1;
        gridlib_read_real(c.text.data(), &length, &value, &used);
        EXPECT_EQ(used, c.used) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    // Missing arguments read nothing and write nothing.
    float value = -99.0f;
    int32_t used = -1;
    gridlib_read_real(nullptr, nullptr, &value, &used);
    EXPECT_EQ(used, 0);
    gridlib_read_real("1", nullptr, nullptr, nullptr);
}

}  // namespace
