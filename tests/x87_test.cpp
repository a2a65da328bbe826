// The core against the x87 hardware, the arithmetic the tariff is defined
// by. Only where long double is the x87 extended format.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>

#include "charge.hpp"
#include "hard_case.hpp"
#include "x87_reference.hpp"

namespace {

#if TARIFF_HAVE_X87

std::uint32_t bits_of(float f) {
    std::uint32_t b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// The extended charge as sig * 2^exp with bit 63 of sig set, or sig 0.
void normalise(std::uint64_t& sig, int& exp) {
    if (sig == 0) return;
    while ((sig >> 63) == 0) {
        sig <<= 1;
        --exp;
    }
}

void expect_same(std::int32_t w, std::int32_t d) {
    const tariff_test::x87_result want = tariff_test::x87_price(w, d);
    const std::optional<tariff::extended_charge> got = tariff::charge_extended(w, d);
    ASSERT_EQ(got.has_value(), want.has_row) << w << " " << d;
    if (!got) return;
    const float c = tariff::to_binary32(*got);
    // Zero compares as a value: the x87 gives -0 for a negative w, the core +0.
    if (want.c == 0.0f) {
        ASSERT_EQ(bits_of(c), 0u) << w << " " << d;
    } else {
        ASSERT_EQ(bits_of(c), bits_of(want.c)) << w << " " << d;
    }

    // The 64-bit intermediate, too: the x87 layout is a 64-bit significand
    // with explicit leading bit, then sign and 15-bit biased exponent.
    unsigned char raw[sizeof(long double)] = {};
    std::memcpy(raw, &want.extended, 10);
    std::uint64_t x87_sig = 0;
    std::memcpy(&x87_sig, raw, 8);
    const int x87_exp = ((raw[9] & 0x7f) << 8 | raw[8]) - 16383 - 63;
    std::uint64_t sig = got->value.sig;
    int exp = got->value.exp;
    normalise(sig, exp);
    ASSERT_EQ(sig, x87_sig) << w << " " << d;
    if (sig != 0) {
        ASSERT_EQ(exp, x87_exp) << w << " " << d;
        ASSERT_EQ(got->negative, (raw[9] & 0x80) != 0) << w << " " << d;
    }
}

// A random int32 whose magnitude is spread evenly over bit lengths.
std::int32_t spread(std::mt19937_64& rng) {
    const int length = static_cast<int>(rng() % 32);
    const auto magnitude = static_cast<std::int64_t>(rng() & ((std::uint64_t{1} << length) - 1));
    return static_cast<std::int32_t>(rng() % 2 ? magnitude : -magnitude);
}

TEST(X87, RandomPairsOverAllRowsAndMagnitudes) {
    tariff_test::x87_extended_mode mode;
    long count = 16000000;
    if (const char* env = std::getenv("TARIFF_X87_PAIRS")) count = std::strtol(env, nullptr, 10);
    std::mt19937_64 rng(20261211);
    for (long i = 0; i < count; ++i) {
        const std::int32_t w = spread(rng);
        // Half near the row bounds, half over the whole range.
        const std::int32_t d = i % 2 ? static_cast<std::int32_t>(rng() % 2200) - 100 : spread(rng);
        expect_same(w, d);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(X87, EdgesOfTheInputRange) {
    tariff_test::x87_extended_mode mode;
    const std::int32_t edges[] = {-2147483647 - 1,
                                  -2147483647,
                                  -2147483639,
                                  -2147483638,
                                  -1,
                                  0,
                                  1,
                                  9,
                                  10,
                                  11,
                                  49,
                                  50,
                                  51,
                                  199,
                                  200,
                                  249,
                                  250,
                                  449,
                                  451,
                                  999,
                                  1999,
                                  2147483597,
                                  2147483598,
                                  2147483637,
                                  2147483638,
                                  2147483647};
    for (const std::int32_t w : edges) {
        for (const std::int32_t d : edges) expect_same(w, d);
    }
}

TEST(X87, HardCases) {
    tariff_test::x87_extended_mode mode;
    for (const tariff_test::hard_case& h : tariff_test::hard_cases) {
        expect_same(h.w, h.d);
        EXPECT_EQ(bits_of(tariff_test::x87_price(h.w, h.d).c), h.bits) << h.w << " " << h.d;
    }
}

#else

TEST(X87, RandomPairsOverAllRowsAndMagnitudes) { GTEST_SKIP() << "long double is not the x87 format here"; }

#endif

}  // namespace
