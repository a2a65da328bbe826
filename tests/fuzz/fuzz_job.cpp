// libFuzzer target: arbitrary bytes through the program's own job path.
// Each input must give either a refusal with nothing to write, no row, or a
// charge whose text is a well-formed two-decimal number close to it; on x86
// the charge must equal the x87 product of the same w and d.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "job.hpp"
#include "x87_reference.hpp"

namespace {

[[noreturn]] void fail(const char* what, const tariff::job_result& r) {
    (void)std::fprintf(stderr, "fuzz check failed: %s (text \"%.*s\")\n", what, static_cast<int>(r.length),
                       r.text);
    std::abort();
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// -?(0|[1-9][0-9]*)\.[0-9]{2}
bool well_formed(const char* t, std::size_t n) {
    std::size_t i = 0;
    if (i < n && t[i] == '-') ++i;
    const std::size_t first = i;
    while (i < n && is_digit(t[i])) ++i;
    const std::size_t digits = i - first;
    if (digits == 0 || (digits > 1 && t[first] == '0')) return false;
    return n - i == 3 && t[i] == '.' && is_digit(t[i + 1]) && is_digit(t[i + 2]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tariff::memory_source in(data, size);
    const tariff::job_result r = tariff::run_job(in);
    if (r.status != tariff::scan_status::ok || !r.c) {
        if (r.length != 0) fail("text without a charge", r);
        return 0;
    }
    if (!well_formed(r.text, r.length)) fail("malformed text", r);
    if (r.text[0] == '-' && *r.c == 0.0f) fail("negative zero", r);

    // The text is the charge to two decimals.
    char copy[tariff::charge_text_capacity + 1];
    std::memcpy(copy, r.text, r.length);
    copy[r.length] = '\0';
    const double written = std::strtod(copy, nullptr);
    const double c = *r.c;
    if (std::fabs(written - c) > 0.005 + std::fabs(c) * 0x1p-52) fail("text far from the charge", r);

#if TARIFF_HAVE_X87
    tariff::memory_source again(data, size);
    const tariff::scanned s = tariff::scan_two(again);
    tariff_test::x87_extended_mode mode;
    const tariff_test::x87_result want = tariff_test::x87_price(s.w, s.d);
    if (!want.has_row || want.c != *r.c) fail("differs from the x87 product", r);
#endif
    return 0;
}
