// Writing the charge with two decimals.
#pragma once

#include <cstddef>

namespace tariff {

// Room for any binary32 charge: |c| < 2^62 has at most 19 integer digits.
constexpr std::size_t charge_text_capacity = 32;

// Writes c as printf("%.2f", (double)c) does on a conforming C library in
// the C locale: the exact value rounded to two decimals, exact ties to even.
// Returns the length; no terminator is written.
std::size_t format_charge(float c, char (&out)[charge_text_capacity]);

}  // namespace tariff
