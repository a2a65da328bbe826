#include "format.hpp"

#include <charconv>

namespace tariff {

std::size_t format_charge(float c, char (&out)[charge_text_capacity]) {
    // to_chars with a precision is exact and locale-independent, where the
    // C libraries' printf differ on ties and on long integer parts.
    const std::to_chars_result r =
        std::to_chars(out, out + charge_text_capacity, static_cast<double>(c), std::chars_format::fixed, 2);
    return static_cast<std::size_t>(r.ptr - out);
}

}  // namespace tariff
