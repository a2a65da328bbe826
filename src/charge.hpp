// The tariff: integers in, a binary32 charge (or no row) out. No I/O.
#pragma once

#include <cstdint>
#include <optional>

#include "rounding.hpp"

namespace tariff {

// The charge held at extended precision, before it is stored as binary32:
// (negative ? -1 : 1) * sig * 2^exp, with bit 63 of sig set, or sig zero for a
// zero charge.
struct extended_charge {
    bool negative;
    binary_value value;
};

// Adds one step to v unless v is a whole multiple of step. The remainder
// truncates toward zero, so -3 becomes 7 and -15 becomes -5. Widened so that
// values near the top of the 32-bit range do not wrap.
constexpr std::int64_t adjust(std::int32_t v, std::int32_t step) {
    return v % step != 0 ? std::int64_t{v} + step : std::int64_t{v};
}

// The charge after its one rounding to a 64-bit significand; empty when the
// adjusted d is negative and no tariff row applies.
std::optional<extended_charge> charge_extended(std::int32_t w, std::int32_t d);

// The extended charge rounded to binary32, ties to even. A zero charge is +0.
float to_binary32(const extended_charge& x);

// The charge for inputs w and d as written by the program; empty when no
// tariff row applies.
std::optional<float> price(std::int32_t w, std::int32_t d);

}  // namespace tariff
