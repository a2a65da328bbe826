// Reading w and d the way "%d%d" does in the C locale, in constant memory.
//
// Hand-written because scanf keeps every digit of a number in memory and has
// undefined behaviour when a number does not fit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tariff {

enum class scan_status {
    ok,
    not_two_numbers,  // the input does not begin with two integers
    out_of_range,     // a number does not fit in a signed 32-bit integer
};

struct scanned {
    scan_status status;
    std::int32_t w;
    std::int32_t d;
};

namespace detail {

constexpr bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Reads one optionally signed decimal integer after optional white space.
// The byte after its last digit is left unread.
template <class Source>
scan_status read_int(Source& in, std::int32_t& out) {
    while (is_space(in.peek())) in.advance();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }
    if (!is_digit(in.peek())) return scan_status::not_two_numbers;

    // Saturate instead of storing digits: leading zeros cost nothing and a
    // number of any length takes constant memory.
    constexpr std::uint32_t limit = 0x80000000u;  // |INT32_MIN|
    std::uint32_t magnitude = 0;
    bool too_big = false;
    for (int c = in.peek(); is_digit(c); c = in.peek()) {
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (magnitude > (limit - digit) / 10) too_big = true;
        if (!too_big) magnitude = magnitude * 10 + digit;
        in.advance();
    }
    if (too_big || magnitude > (negative ? limit : limit - 1)) return scan_status::out_of_range;
    out = negative ? static_cast<std::int32_t>(0u - magnitude) : static_cast<std::int32_t>(magnitude);
    return scan_status::ok;
}

}  // namespace detail

// Source: int peek() gives the next byte (0..255) or -1 at the end without
// consuming it; void advance() consumes it.
template <class Source>
scanned scan_two(Source& in) {
    scanned s{scan_status::ok, 0, 0};
    s.status = detail::read_int(in, s.w);
    if (s.status == scan_status::ok) s.status = detail::read_int(in, s.d);
    return s;
}

// A Source over bytes in memory.
class memory_source {
public:
    memory_source(const unsigned char* data, std::size_t size) : pos_(data), end_(data + size) {}
    int peek() const { return pos_ == end_ ? -1 : *pos_; }
    void advance() { ++pos_; }

private:
    const unsigned char* pos_;
    const unsigned char* end_;
};

}  // namespace tariff
