// The generated golden table of hard cases (tools/gen_hard_cases.py).
#pragma once

#include <cstdint>
#include <ostream>

namespace tariff_test {

enum class hard_kind { extended_tie, double_round, binary64_path, decimal_tie };

struct hard_case {
    hard_kind kind;
    std::int32_t w, d;
    std::uint64_t extended_sig;  // the charge at 64 bits: sig * 2^exp
    int extended_exp;
    std::uint32_t bits;        // the binary32 charge
    const char* text;          // what the program writes
    std::uint32_t other_bits;  // what the rounding the case is about gets
};

inline constexpr hard_case hard_cases[] = {
#include "hard_cases.inc"
};

// Test names show the input, not the bytes.
inline void PrintTo(const hard_case& h, std::ostream* os) { *os << "input \"" << h.w << ' ' << h.d << '"'; }

}  // namespace tariff_test
