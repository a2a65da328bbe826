// Rounding an exact binary value to a given number of significant bits.
#pragma once

#include <cstdint>

#include "wide.hpp"

namespace tariff {

// sig * 2^exp, with sig < 2^64.
struct binary_value {
    std::uint64_t sig;
    int exp;
};

// Rounds the exact value sig * 2^exp (sig > 0) to `bits` significant bits,
// to nearest, ties to even, as IEEE 754 binary arithmetic does for a format
// with a `bits`-bit significand and unbounded exponent. bits is in [1, 64].
// The result is exact when sig already fits; it is not normalised.
binary_value round_to_bits(u128 sig, int exp, int bits);

// The two precisions of the charge.
constexpr int extended_bits = 64;  // x87 extended significand
constexpr int binary32_bits = 24;  // IEEE 754 single precision significand

}  // namespace tariff
