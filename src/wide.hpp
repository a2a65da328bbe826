// Unsigned 128-bit integers, just wide enough for the exact charge.
//
// Hand-written rather than unsigned __int128 because 32-bit targets have no
// 128-bit integer type, and the charge must be computed the same way there.
#pragma once

#include <cstdint>

namespace tariff {

struct u128 {
    std::uint64_t hi;
    std::uint64_t lo;
};

constexpr bool operator==(u128 a, u128 b) { return a.hi == b.hi && a.lo == b.lo; }

// Exact 64 x 64 -> 128-bit product, schoolbook on 32-bit halves.
constexpr u128 mul_64x64(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t mask = 0xffffffffu;
    const std::uint64_t a_lo = a & mask, a_hi = a >> 32;
    const std::uint64_t b_lo = b & mask, b_hi = b >> 32;
    const std::uint64_t ll = a_lo * b_lo;
    const std::uint64_t lh = a_lo * b_hi;
    const std::uint64_t hl = a_hi * b_lo;
    const std::uint64_t hh = a_hi * b_hi;
    // Each term below is < 3 * 2^32, so the middle sum cannot overflow.
    const std::uint64_t mid = (ll >> 32) + (lh & mask) + (hl & mask);
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & mask)};
}

// Number of significant bits; 0 for zero.
constexpr int bit_length(u128 n) {
    int len = 0;
    std::uint64_t top = n.lo;
    if (n.hi != 0) {
        len = 64;
        top = n.hi;
    }
    while (top != 0) {
        ++len;
        top >>= 1;
    }
    return len;
}

// Bit `i` (0 = least significant), i in [0, 127].
constexpr bool bit_at(u128 n, int i) {
    return i >= 64 ? ((n.hi >> (i - 64)) & 1u) != 0 : ((n.lo >> i) & 1u) != 0;
}

// Whether any of the `count` lowest bits is set, count in [0, 128].
constexpr bool any_low_bits(u128 n, int count) {
    if (count <= 0) return false;
    if (count < 64) return (n.lo & ((std::uint64_t{1} << count) - 1)) != 0;
    if (n.lo != 0) return true;
    if (count >= 128) return n.hi != 0;
    return (n.hi & ((std::uint64_t{1} << (count - 64)) - 1)) != 0;
}

// n >> s for s in [0, 127].
constexpr u128 shift_right(u128 n, int s) {
    if (s == 0) return n;
    if (s >= 64) return {0, n.hi >> (s - 64)};
    return {n.hi >> s, (n.lo >> s) | (n.hi << (64 - s))};
}

}  // namespace tariff
