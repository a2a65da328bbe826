#include "rounding.hpp"

namespace tariff {

binary_value round_to_bits(u128 sig, int exp, int bits) {
    const int length = bit_length(sig);
    if (length <= bits) return {sig.lo, exp};

    // Drop `shift` bits; they decide the rounding.
    const int shift = length - bits;
    std::uint64_t kept = shift_right(sig, shift).lo;
    const bool half_bit = bit_at(sig, shift - 1);
    const bool sticky = any_low_bits(sig, shift - 1);
    // Above half: up. Exactly half: round up if odd, so the result is even.
    const bool round_up = half_bit && (sticky || (kept & 1u) != 0);
    int result_exp = exp + shift;
    if (round_up) {
        ++kept;
        // Carry out of the top: kept was all ones and is now a power of two.
        const bool carried = bits == 64 ? kept == 0 : (kept >> bits) != 0;
        if (carried) {
            kept = std::uint64_t{1} << (bits - 1);
            ++result_exp;
        }
    }
    return {kept, result_exp};
}

}  // namespace tariff
