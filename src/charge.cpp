#include "charge.hpp"

#include <array>
#include <bit>

namespace tariff {
namespace {

// A row factor: the binary64 value whose bits the tariff gives, as its
// significand left-aligned in 64 bits and an exponent, so that it
// multiplies exactly: factor = sig * 2^exp.
struct factor {
    std::uint64_t sig;
    int exp;
};

constexpr factor from_binary64_bits(std::uint64_t bits) {
    // Only normal, positive factors occur.
    const int biased = static_cast<int>((bits >> 52) & 0x7ffu);
    const std::uint64_t sig = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    return {sig << 11, biased - 1075 - 11};
}

// Indexed by the number of row bounds (250, 500, 1000, 2000) that d reaches.
constexpr std::array<factor, 5> row_factors = {
    from_binary64_bits(0x3ff0000000000000u),  // 0 to 249: none (1.0)
    from_binary64_bits(0x3fef5c28f5c28f5cu),  // 250 to 499: 0.98
    from_binary64_bits(0x3fee666666666666u),  // 500 to 999: 0.95
    from_binary64_bits(0x3fed70a3d70a3d71u),  // 1000 to 1999: 0.92
    from_binary64_bits(0x3feccccccccccccdu),  // 2000 and above: 0.90
};

constexpr std::size_t row_of(std::int64_t d) {
    return static_cast<std::size_t>(d > 249) + static_cast<std::size_t>(d > 499) +
           static_cast<std::size_t>(d > 999) + static_cast<std::size_t>(d > 1999);
}

}  // namespace

std::optional<extended_charge> charge_extended(std::int32_t w, std::int32_t d) {
    const std::int64_t aw = adjust(w, 10);
    const std::int64_t ad = adjust(d, 50);
    if (ad < 0) return std::nullopt;

    // |aw| <= 2^31 + 9 and 0 <= ad <= 2^31 + 49, so |aw * ad| < 2^63: exact in
    // int64. w * 0.5 * d is half of it, which a 64-bit significand holds
    // exactly, so the only extended rounding is the one after the factor.
    const std::int64_t wd = aw * ad;
    if (wd == 0) return extended_charge{false, {0, 0}};
    const bool negative = wd < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(wd) : static_cast<std::uint64_t>(wd);

    // Both factors of the exact product fit in 64 bits, so it fits in 128.
    // Left-aligned, their product has its top bit at 127 or 126: a shift of
    // 0 or 1, done with adds, aligns it for the rounding.
    const int zeros = std::countl_zero(magnitude);
    const factor f = row_factors[row_of(ad)];
    u128 exact = mul_64x64(magnitude << zeros, f.sig);
    const std::uint64_t short_by = ~exact.hi >> 63;
    const std::uint64_t mask = std::uint64_t{0} - short_by;
    exact = {exact.hi + (exact.hi & mask) + (exact.lo >> 63 & short_by), exact.lo + (exact.lo & mask)};
    const int exp = f.exp - zeros - static_cast<int>(short_by) - 1;  // - 1: the rate 0.5
    // Row 1's factor is 1: its product needs no rounding, and gets none.
    return extended_charge{negative, round_aligned_to_bits(exact, exp, extended_bits)};
}

float to_binary32(const extended_charge& x) {
    if (x.value.sig == 0) return 0.0f;  // never -0: a zero charge has no sign
    const binary_value r = round_aligned_to_bits(u128{x.value.sig, 0}, x.value.exp - 64, binary32_bits);
    // r.sig is in [2^23, 2^24). Charges lie between 0.45 and 2^62, well
    // inside binary32's normal range.
    const auto biased = static_cast<std::uint32_t>(r.exp + (binary32_bits - 1) + 127);
    const std::uint32_t bits =
        (x.negative ? 0x80000000u : 0u) | (biased << 23) | (static_cast<std::uint32_t>(r.sig) & 0x7fffffu);
    return std::bit_cast<float>(bits);
}

std::optional<float> price(std::int32_t w, std::int32_t d) {
    const std::optional<extended_charge> x = charge_extended(w, d);
    if (!x) return std::nullopt;
    return to_binary32(*x);
}

}  // namespace tariff
