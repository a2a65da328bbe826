#include "format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string formatted(float c) {
    char text[tariff::charge_text_capacity];
    return std::string(text, tariff::format_charge(c, text));
}

TEST(FormatCharge, ExactTwoDecimalsTiesToEven) {
    struct Case {
        float c;
        const char* want;
    };
    const Case cases[] = {
        {0.0f, "0.00"},
        {0.5f, "0.50"},
        {0.125f, "0.12"},  // exact ties: to the even last digit
        {0.375f, "0.38"},
        {0.625f, "0.62"},
        {0.875f, "0.88"},
        {-0.125f, "-0.12"},
        {1048576.125f, "1048576.12"},
        {1048576.375f, "1048576.38"},
        {-250.0f, "-250.00"},
        {0.01f, "0.01"},   // 0.0099999997764825820922851562: not a tie
        {0.015f, "0.01"},  // 0.0149999996647238731384277344
        {0.025f, "0.03"},  // 0.0250000003725290298461914062
        {1229.9f, "1229.90"},
        {16777216.0f, "16777216.00"},
        {1e17f, "99999998430674944.00"},  // every integer digit exact
        {109423861052735488.0f, "109423861052735488.00"},
        {4611686018427387904.0f, "4611686018427387904.00"},  // 2^62
        {-4.2e18f, "-4200000002807824384.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatted(c.c), c.want) << c.want;
}

#ifdef __GLIBC__
// glibc's printf is exact with ties to even: agree with it on random floats
// of every magnitude a charge can have.
TEST(FormatCharge, AgreesWithGlibcPrintf) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> exp(-3, 62);
    for (int i = 0; i < 300000; ++i) {
        const float c =
            std::ldexp(static_cast<float>(rng() >> 8), exp(rng) - 24) * (rng() % 2 ? 1.0f : -1.0f);
        char want[64];
        ASSERT_GT(std::snprintf(want, sizeof want, "%.2f", static_cast<double>(c)), 0);
        ASSERT_EQ(formatted(c), want);
    }
}
#endif

}  // namespace
