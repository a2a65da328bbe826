// One job from input bytes to output text, as the program runs it; shared
// by main and the fuzzer so that both exercise the same path.
#pragma once

#include <cstddef>
#include <optional>

#include "charge.hpp"
#include "format.hpp"
#include "scan.hpp"

namespace tariff {

struct job_result {
    scan_status status;      // anything but ok: nothing is priced
    std::optional<float> c;  // empty when no tariff row applies
    char text[charge_text_capacity];
    std::size_t length;  // of text; 0 when there is nothing to write
};

template <class Source>
job_result run_job(Source& in) {
    job_result r{};
    const scanned s = scan_two(in);
    r.status = s.status;
    if (s.status != scan_status::ok) return r;
    r.c = price(s.w, s.d);
    if (r.c) r.length = format_charge(*r.c, r.text);
    return r;
}

}  // namespace tariff
