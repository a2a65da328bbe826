#include "rounding.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "wide.hpp"

namespace {

using tariff::binary_value;
using tariff::mul_64x64;
using tariff::round_to_bits;
using tariff::u128;

constexpr std::uint64_t max64 = ~std::uint64_t{0};

TEST(WideMultiply, Corners) {
    struct Case {
        std::uint64_t a, b;
        u128 product;
    };
    const Case cases[] = {
        {0, max64, {0, 0}},
        {1, max64, {0, max64}},
        {max64, max64, {max64 - 1, 1}},  // (2^64 - 1)^2 = 2^128 - 2^65 + 1
        {std::uint64_t{1} << 63, 2, {1, 0}},
        {0xffffffffu, 0xffffffffu, {0, 0xfffffffe00000001u}},
        {0x100000000u, 0x100000000u, {1, 0}},
        {0x123456789abcdef0u, 0x0fedcba987654321u, {0x0121fa00ad77d742u, 0x2236d88fe5618cf0u}},
    };
    for (const Case& c : cases) {
        for (const u128 p : {mul_64x64(c.a, c.b), tariff::mul_64x64_portable(c.a, c.b)}) {
            EXPECT_EQ(p.hi, c.product.hi) << c.a << " * " << c.b;
            EXPECT_EQ(p.lo, c.product.lo) << c.a << " * " << c.b;
        }
    }
}

#ifdef __SIZEOF_INT128__
TEST(WideMultiply, PortableAgreesWithNativeWhereThereIsOne) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t a = rng() >> (rng() % 64), b = rng() >> (rng() % 64);
        const unsigned __int128 want = static_cast<unsigned __int128>(a) * b;
        const u128 got = tariff::mul_64x64_portable(a, b);
        ASSERT_EQ(got.hi, static_cast<std::uint64_t>(want >> 64));
        ASSERT_EQ(got.lo, static_cast<std::uint64_t>(want));
    }
}
#endif

TEST(RoundToBits, NearestTiesToEven) {
    struct Case {
        u128 sig;
        int exp, bits;
        std::uint64_t want_sig;
        int want_exp;
    };
    const Case cases[] = {
        {{0, 0b1011}, 0, 4, 0b1011, 0},                           // fits: exact
        {{0, 0b10110}, 3, 4, 0b1011, 4},                          // dropped bit zero: exact
        {{0, 0b10101}, 0, 4, 0b1010, 1},                          // exactly half, kept even: stays
        {{0, 0b10111}, 0, 4, 0b1100, 1},                          // exactly half, kept odd: up
        {{0, 0b101011}, 0, 4, 0b1011, 2},                         // above half: up
        {{0, 0b101101}, 0, 4, 0b1011, 2},                         // below half: down
        {{0, 0b11111}, -5, 4, 0b1000, -3},                        // carry out of the top
        {{0, 0b1111011}, 0, 4, 0b1111, 3},                        // below half, all ones kept: down
        {{0, 0b1111101}, 0, 4, 0b1000, 4},                        // carry out, via sticky
        {{1, 0}, 0, 64, std::uint64_t{1} << 63, 1},               // 2^64 fits once halved
        {{1, 1}, 0, 64, std::uint64_t{1} << 63, 1},               // half of the last place below: down
        {{1, 3}, 0, 64, (std::uint64_t{1} << 63) | 2, 1},         // 2^64 + 3: tie, kept odd: up
        {{1, max64}, 0, 64, std::uint64_t{1} << 63, 2},           // 2^65 - 1: carry at 64 bits
        {{max64, max64}, -128, 64, std::uint64_t{1} << 63, -63},  // all 128 bits set
        {{0x8000000000000000u, 1}, 0, 24, 0x800000, 104},         // sticky far below
        {{0x8000008000000000u, 0}, 0, 24, 0x800000, 104},         // tie at 24 bits, even: stays
        {{0x8000018000000000u, 0}, 0, 24, 0x800002, 104},         // tie at 24 bits, odd: up
        {{0x8000008000000000u, 1}, 0, 24, 0x800001, 104},         // just above the tie: up
    };
    for (const Case& c : cases) {
        const binary_value r = round_to_bits(c.sig, c.exp, c.bits);
        EXPECT_EQ(r.sig, c.want_sig) << c.sig.hi << ":" << c.sig.lo << " to " << c.bits;
        EXPECT_EQ(r.exp, c.want_exp) << c.sig.hi << ":" << c.sig.lo << " to " << c.bits;
    }
}

// Rounding to fewer bits must agree with the hardware's binary32 conversion
// of an exactly representable double (SSE and NEON round to nearest, even).
TEST(RoundToBits, AgreesWithBinary32ConversionOfDoubles) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t sig = (rng() >> 11) | (std::uint64_t{1} << 52);  // 53 bits
        const double x = static_cast<double>(sig);                           // exact
        // volatile: stored as a float even where the FPU keeps more precision
        const volatile float want = static_cast<float>(x);
        const binary_value r = round_to_bits(u128{0, sig}, 0, 24);
        ASSERT_EQ(static_cast<double>(r.sig) * static_cast<double>(std::uint64_t{1} << r.exp),
                  static_cast<double>(want))
            << sig;
    }
}

}  // namespace
