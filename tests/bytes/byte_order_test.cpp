#include "bytes/byte_order.h"
#include "bytes/portable_double.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace gridlib {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values) out.push_back(static_cast<std::byte>(v));
    return out;
}

TEST(ByteOrder, ReversesItemsAndArraysAndIsItsOwnInverse) {
    auto v = bytes({1, 2, 3, 4});
    reverse_item<4>(v.data());
    EXPECT_EQ(v, bytes({4, 3, 2, 1}));
    reverse_item<4>(v.data());
    EXPECT_EQ(v, bytes({1, 2, 3, 4}));

    auto a = bytes({1, 2, 3, 4, 5, 6});
    reverse_items<2>(3, a);
    EXPECT_EQ(a, bytes({2, 1, 4, 3, 6, 5}));
    reverse_items<2>(0, a);
    reverse_items<2>(-4, a);
    EXPECT_EQ(a, bytes({2, 1, 4, 3, 6, 5}));

    auto d = bytes({1, 2, 3, 4, 5, 6, 7, 8});
    reverse_items<8>(1, d);
    EXPECT_EQ(d, bytes({8, 7, 6, 5, 4, 3, 2, 1}));
}

double decode(std::vector<std::byte> b, bool msb_first) {
    return decode_portable_double(std::span<const std::byte, 8>(b.data(), 8), msb_first);
}

TEST(PortableDouble, DecodesBothByteOrders) {
    EXPECT_EQ(decode(bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), false), 1.0);
    EXPECT_EQ(decode(bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}), true), 1.0);
    EXPECT_EQ(decode(bytes({0, 0, 0, 0, 0, 0, 0, 0xC0}), false), -2.0);
    EXPECT_EQ(decode(bytes({0, 0, 0, 0, 0, 0, 0x59, 0x40}), false), 100.0);
}

TEST(PortableDouble, MatchesTheHostForOrdinaryValues) {
    for (double x : {0.1, -123456.789, 6.02214076e23, 1.0e-300, 3.0e307}) {
        std::vector<std::byte> b(8);
        std::memcpy(b.data(), &x, 8);
        EXPECT_EQ(decode(b, false), x);
    }
}

TEST(PortableDouble, ZeroExponentIsNormalisedAndMaxExponentIsInfinite) {
    EXPECT_EQ(decode(bytes({0, 0, 0, 0, 0, 0, 0, 0}), false), std::ldexp(1.0, -1023));
    const double inf = decode(bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x7F}), false);  // a NaN pattern
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_GT(inf, 0);
    EXPECT_TRUE(std::isinf(decode(bytes({0, 0, 0, 0, 0, 0, 0xF0, 0xFF}), false)));
}

}  // namespace
}  // namespace gridlib
