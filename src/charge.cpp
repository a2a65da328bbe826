#include "charge.hpp"

#include <cstring>

namespace tariff {
namespace {

// A row factor: the binary64 value whose bits the tariff gives, split into
// its 53-bit integer significand and exponent so that it multiplies exactly.
struct factor {
    std::uint64_t sig;
    int exp;
};

constexpr factor from_binary64_bits(std::uint64_t bits) {
    // Only normal, positive factors occur.
    const int biased = static_cast<int>((bits >> 52) & 0x7ffu);
    return {(bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52), biased - 1075};
}

constexpr factor row_factor(std::int64_t d) {
    if (d <= 249) return from_binary64_bits(0x3ff0000000000000u);   // 1: no factor
    if (d <= 499) return from_binary64_bits(0x3fef5c28f5c28f5cu);   // 0.98
    if (d <= 999) return from_binary64_bits(0x3fee666666666666u);   // 0.95
    if (d <= 1999) return from_binary64_bits(0x3fed70a3d70a3d71u);  // 0.92
    return from_binary64_bits(0x3feccccccccccccdu);                 // 0.90
}

}  // namespace

std::optional<extended_charge> charge_extended(std::int32_t w, std::int32_t d) {
    const std::int64_t aw = adjust(w, 10);
    const std::int64_t ad = adjust(d, 50);
    if (ad < 0) return std::nullopt;

    // |aw| <= 2^31 + 9 and 0 <= ad <= 2^31 + 49, so |aw * ad| < 2^63: exact in
    // int64. w * 0.5 * d is then half of it, which a 64-bit significand holds
    // exactly, so the only extended rounding is the one after the factor.
    const std::int64_t wd = aw * ad;
    const bool negative = wd < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(wd) : static_cast<std::uint64_t>(wd);

    // magnitude < 2^63 and the factor's significand < 2^53, so the exact
    // product of all three fits in 116 bits.
    const factor f = row_factor(ad);
    const u128 exact = mul_64x64(magnitude, f.sig);
    return extended_charge{negative, round_to_bits(exact, f.exp - 1, extended_bits)};
}

float to_binary32(const extended_charge& x) {
    if (x.value.sig == 0) return 0.0f;  // never -0: a zero charge has no sign
    binary_value r = round_to_bits(u128{0, x.value.sig}, x.value.exp, binary32_bits);
    // Normalise to a 24-bit significand with its leading bit set.
    while ((r.sig >> (binary32_bits - 1)) == 0) {
        r.sig <<= 1;
        --r.exp;
    }
    // Charges lie between 0.45 and 2^62, well inside binary32's normal range.
    const auto biased = static_cast<std::uint32_t>(r.exp + (binary32_bits - 1) + 127);
    const std::uint32_t bits =
        (x.negative ? 0x80000000u : 0u) | (biased << 23) | (static_cast<std::uint32_t>(r.sig) & 0x7fffffu);
    float c = 0;
    std::memcpy(&c, &bits, sizeof c);
    return c;
}

std::optional<float> price(std::int32_t w, std::int32_t d) {
    const std::optional<extended_charge> x = charge_extended(w, d);
    if (!x) return std::nullopt;
    return to_binary32(*x);
}

}  // namespace tariff
