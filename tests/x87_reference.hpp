// The charge as the x87 hardware forms it: the reference arithmetic, where
// long double is the x87 extended format (x86 with GCC or Clang).
#pragma once

#include <cfloat>
#include <cstdint>

#include "charge.hpp"

#if (defined(__i386__) || defined(__x86_64__)) && LDBL_MANT_DIG == 64 && \
    (defined(__GNUC__) || defined(__clang__))
#define TARIFF_HAVE_X87 1
#else
#define TARIFF_HAVE_X87 0
#endif

#if TARIFF_HAVE_X87
namespace tariff_test {

// Sets the x87 to a 64-bit significand, round to nearest, for the life of
// the object: some C runtimes start it at 53 bits.
class x87_extended_mode {
public:
    x87_extended_mode() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        const std::uint16_t cw = static_cast<std::uint16_t>((saved_ & ~0x0f00u) | 0x0300u);
        __asm__ volatile("fldcw %0" : : "m"(cw));
    }
    ~x87_extended_mode() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }
    x87_extended_mode(const x87_extended_mode&) = delete;
    x87_extended_mode& operator=(const x87_extended_mode&) = delete;

private:
    std::uint16_t saved_ = 0;
};

struct x87_result {
    bool has_row;
    long double extended;
    float c;
};

// The charge as the x87 forms it: w * 0.5, then * d, then * the factor
// (a double), each rounded to 64 bits, then stored as a float.
inline x87_result x87_price(std::int32_t w, std::int32_t d) {
    const std::int64_t aw = tariff::adjust(w, 10);
    const std::int64_t ad = tariff::adjust(d, 50);
    if (ad < 0) return {false, 0, 0};
    volatile long double x = static_cast<long double>(aw) * 0.5L;
    x = x * static_cast<long double>(ad);
    if (ad > 1999) {
        x = x * static_cast<long double>(0.90);
    } else if (ad > 999) {
        x = x * static_cast<long double>(0.92);
    } else if (ad > 499) {
        x = x * static_cast<long double>(0.95);
    } else if (ad > 249) {
        x = x * static_cast<long double>(0.98);
    }
    const long double e = x;
    volatile float c = static_cast<float>(e);
    return {true, e, c};
}

}  // namespace tariff_test
#endif
