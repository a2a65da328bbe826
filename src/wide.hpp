// Unsigned 128-bit integers, just wide enough for the exact charge.
//
// Hand-written rather than unsigned __int128 because 32-bit targets have no
// 128-bit integer type, and the charge must be computed the same way there.
#pragma once

#include <bit>
#include <cstdint>

namespace tariff {

struct u128 {
    std::uint64_t hi;
    std::uint64_t lo;
};

constexpr bool operator==(u128 a, u128 b) { return a.hi == b.hi && a.lo == b.lo; }

// Exact 64 x 64 -> 128-bit product, schoolbook on 32-bit halves.
constexpr u128 mul_64x64_portable(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t mask = 0xffffffffu;
    const std::uint64_t a_lo = a & mask, a_hi = a >> 32;
    const std::uint64_t b_lo = b & mask, b_hi = b >> 32;
    const std::uint64_t ll = a_lo * b_lo;
    const std::uint64_t lh = a_lo * b_hi;
    const std::uint64_t hl = a_hi * b_lo;
    const std::uint64_t hh = a_hi * b_hi;
    // Each term below is < 2^32, so the middle sum cannot overflow.
    const std::uint64_t mid = (ll >> 32) + (lh & mask) + (hl & mask);
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & mask)};
}

// The same product; one instruction where the compiler has a 128-bit type
// (the portable form is tested against it there, and used on 32-bit targets).
constexpr u128 mul_64x64(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
    __extension__ using native = unsigned __int128;
    const native p = static_cast<native>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
    return mul_64x64_portable(a, b);
#endif
}

// Leading zero bits; 128 for zero.
constexpr int countl_zero(u128 n) { return n.hi != 0 ? std::countl_zero(n.hi) : 64 + std::countl_zero(n.lo); }

// n << s for s in [0, 128].
constexpr u128 shift_left(u128 n, int s) {
    if (s == 0) return n;
    if (s >= 128) return {0, 0};
    if (s >= 64) return {n.lo << (s - 64), 0};
    return {(n.hi << s) | (n.lo >> (64 - s)), n.lo << s};
}

}  // namespace tariff
