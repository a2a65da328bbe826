// Rounding an exact binary value to a given number of significant bits.
#pragma once

#include <cstdint>

#include "wide.hpp"

namespace tariff {

// sig * 2^exp.
struct binary_value {
    std::uint64_t sig;
    int exp;
};

// The two precisions of the charge.
constexpr int extended_bits = 64;  // x87 extended significand
constexpr int binary32_bits = 24;  // IEEE 754 single precision significand

// Rounds the exact value sig * 2^exp, where bit 127 of sig is set, to
// `bits` significant bits, to nearest, ties to even, as IEEE 754 arithmetic
// does for a format with a `bits`-bit significand and an exponent range that
// the charge never leaves. bits is in [1, 64]. The result is normalised: bit
// bits-1 of its sig is set.
//
// Inline and free of data-dependent branches, so that with a constant
// `bits` it compiles to a few shifts and adds.
constexpr binary_value round_aligned_to_bits(u128 sig, int exp, int bits) {
    std::uint64_t kept = sig.hi >> (64 - bits);
    // The dropped bits, left-aligned: the first is the half bit, the rest
    // are sticky.
    const std::uint64_t dropped_top = bits == 64 ? sig.lo : (sig.hi << bits);
    const bool sticky_below = bits == 64 ? false : sig.lo != 0;
    const std::uint64_t half = dropped_top >> 63;
    const std::uint64_t sticky = ((dropped_top << 1) != 0 || sticky_below) ? 1 : 0;
    // Above half: up. Exactly half: round up if odd, so the result is even.
    kept += half & (sticky | (kept & 1));
    exp += 128 - bits;

    // A carry out of the top leaves a power of two one bit too long.
    const bool carried = bits == 64 ? kept == 0 : (kept >> bits) != 0;
    if (carried) {
        kept = std::uint64_t{1} << (bits - 1);
        ++exp;
    }
    return {kept, exp};
}

// The same for any sig > 0: left-aligns it first.
constexpr binary_value round_to_bits(u128 sig, int exp, int bits) {
    const int zeros = countl_zero(sig);
    return round_aligned_to_bits(shift_left(sig, zeros), exp - zeros, bits);
}

}  // namespace tariff
