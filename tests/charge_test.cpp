#include "charge.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "format.hpp"
#include "hard_case.hpp"
#include "rounding.hpp"
#include "wide.hpp"

namespace {

using tariff::binary_value;
using tariff::price;
using tariff::round_to_bits;
using tariff::u128;
using tariff_test::hard_case;
using tariff_test::hard_kind;

std::uint32_t bits_of(float f) {
    std::uint32_t b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// The program's text for an input, or "<none>" when no row applies.
std::string priced(std::int32_t w, std::int32_t d) {
    const std::optional<float> c = price(w, d);
    if (!c) return "<none>";
    char text[tariff::charge_text_capacity];
    return std::string(text, tariff::format_charge(*c, text));
}

TEST(Adjust, AddsAWholeStepUnlessAMultiple) {
    struct Case {
        std::int32_t v, step;
        std::int64_t want;
    };
    const Case cases[] = {
        {13, 10, 23},
        {10, 10, 10},
        {-3, 10, 7},
        {-15, 10, -5},
        {-10, 10, -10},
        {30, 50, 80},
        {230, 50, 280},
        {250, 50, 250},
        {-20, 50, 30},
        {-50, 50, -50},
        {-60, 50, -10},
        {0, 50, 0},
        {2147483647, 10, 2147483657},  // no 32-bit wrap
        {2147483647, 50, 2147483697},
        {-2147483647 - 1, 10, -2147483638},
        {-2147483647 - 1, 50, -2147483598},
    };
    for (const Case& c : cases) EXPECT_EQ(tariff::adjust(c.v, c.step), c.want) << c.v;
}

TEST(Price, WorkedExamples) {
    struct Case {
        std::int32_t w, d;
        const char* want;
    };
    const Case cases[] = {
        {10, 230, "1372.00"},
        {10, 100, "500.00"},
        {3, 100, "650.00"},
        {10, 30, "400.00"},
        {-9, -49, "0.50"},
        {-9, 300, "147.00"},
        {-9, 600, "285.00"},
        {-9, 1000, "460.00"},
        {-9, 2000, "900.00"},
        {-9, -3, "23.50"},
        {-3, 100, "350.00"},
        {-15, 100, "-250.00"},
        {-10, 100, "-500.00"},
        {10, -20, "150.00"},
        {10, -50, "<none>"},
        {10, -60, "<none>"},
        {10, 0, "0.00"},
        {0, 100, "0.00"},
        {-15, 0, "0.00"},                                          // never -0.00
        {2147483647, 100, "107374182400.00"},                      // w + 10 does not wrap
        {10, 2147483647, "9663676416.00"},                         // nor d + 50
        {16777207, -48, "16777216.00"},                            // 2^24 + 1: a binary32 tie, to even
        {-2147483647 - 1, 2147483647, "-2075258790755696640.00"},  // the largest magnitude
        {2147483647, 2147483647, "2075258790755696640.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(priced(c.w, c.d), c.want) << c.w << " " << c.d;
}

// Adjusted d chooses the row; the step can carry an input into the next row.
TEST(Price, RowBoundaries) {
    struct Case {
        std::int32_t d;
        const char* want;  // for w = 10
    };
    const Case cases[] = {
        {199, "1245.00"},                                                          // -> 249: row 1, no factor
        {200, "1000.00"},                                                          // stays 200
        {201, "1229.90"},                                                          // -> 251: 0.98
        {250, "1225.00"},  {449, "2445.10"},  {450, "2205.00"}, {451, "2379.75"},  // -> 501: 0.95
        {949, "4745.25"},  {951, "4604.60"},                                       // -> 1001: 0.92
        {1949, "9195.40"}, {1951, "9004.50"},                                      // -> 2001: 0.90
        {-49, "5.00"},     {-50, "<none>"},   {-51, "<none>"},
    };
    for (const Case& c : cases) EXPECT_EQ(priced(10, c.d), c.want) << c.d;
}

TEST(Price, ZeroChargeIsPositiveZero) {
    for (const std::int32_t w : {-2147483647 - 1, -15, -10, 0, 10}) {
        const std::optional<float> c = price(w, 0);
        ASSERT_TRUE(c.has_value());
        EXPECT_EQ(bits_of(*c), 0u) << w;
    }
}

// The golden table, with each case's difficulty checked too: a case that no
// longer exercises what it is named for would pass against a wrong core.
class HardCases : public ::testing::TestWithParam<hard_case> {};

TEST_P(HardCases, MatchExactExpansion) {
    const hard_case& h = GetParam();
    const std::optional<tariff::extended_charge> x = tariff::charge_extended(h.w, h.d);
    ASSERT_TRUE(x.has_value());
    EXPECT_EQ(x->value.sig, h.extended_sig);
    EXPECT_EQ(x->value.exp, h.extended_exp);
    EXPECT_EQ(bits_of(tariff::to_binary32(*x)), h.bits);
    EXPECT_EQ(priced(h.w, h.d), h.text);

    switch (h.kind) {
        case hard_kind::extended_tie:
        case hard_kind::decimal_tie:
            break;  // checked below
        case hard_kind::double_round:
        case hard_kind::binary64_path:
            EXPECT_NE(h.other_bits, h.bits) << "not a hard case";
            break;
    }
    if (h.kind == hard_kind::decimal_tie) {
        // An odd multiple of 1/8: (bits & 0x7fffff | 2^23) * 2^(e-150) with
        // lowest set bit at 2^-3.
        const std::uint32_t sig = (h.bits & 0x7fffffu) | 0x800000u;
        const int exp = static_cast<int>((h.bits >> 23) & 0xffu) - 150;
        int low = exp;
        for (std::uint32_t s = sig; (s & 1u) == 0; s >>= 1) ++low;
        EXPECT_EQ(low, -3) << "not a two-decimal tie";
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, HardCases, ::testing::ValuesIn(tariff_test::hard_cases));

// The alternatives the cases guard against, computed independently of the
// core with the same integer rounding: one exact rounding to binary32, and
// binary64 intermediates.
TEST(HardCases, AlternativeRoundingsGiveTheRecordedOtherResult) {
    struct factor {
        std::int64_t bottom;
        std::uint64_t sig;  // the row factor is sig * 2^-53
    };
    const factor rows[] = {{2000, 0x1ccccccccccccdu},
                           {1000, 0x1d70a3d70a3d71u},
                           {500, 0x1e666666666666u},
                           {250, 0x1f5c28f5c28f5cu}};
    for (const hard_case& h : tariff_test::hard_cases) {
        if (h.kind != hard_kind::double_round && h.kind != hard_kind::binary64_path) continue;
        const std::int64_t aw = tariff::adjust(h.w, 10), ad = tariff::adjust(h.d, 50);
        std::uint64_t sig = 0;
        for (const factor& f : rows) {
            if (ad >= f.bottom) {
                sig = f.sig;
                break;
            }
        }
        ASSERT_NE(sig, 0u);
        const bool negative = aw < 0;
        const auto wd = static_cast<std::uint64_t>(negative ? -aw * ad : aw * ad);
        binary_value r{};
        if (h.kind == hard_kind::double_round) {
            r = round_to_bits(tariff::mul_64x64(wd, sig), -54, 24);
        } else {
            const binary_value base = round_to_bits(u128{0, wd}, -1, 53);
            const binary_value product = round_to_bits(tariff::mul_64x64(base.sig, sig), base.exp - 53, 53);
            r = round_to_bits(u128{0, product.sig}, product.exp, 24);
        }
        const std::uint32_t bits = (negative ? 0x80000000u : 0u) |
                                   (static_cast<std::uint32_t>(r.exp + 150) << 23) |
                                   (static_cast<std::uint32_t>(r.sig) & 0x7fffffu);
        EXPECT_EQ(bits, h.other_bits) << h.w << " " << h.d;
    }
}

}  // namespace
