#!/usr/bin/env python3
"""Finds the inputs that random testing almost never reaches and writes them,
with their exact expected results, as the golden table tests/hard_cases.inc.

Everything here is exact integer arithmetic, independent of the C++ core, so
the table is a second opinion on it and not a copy of it.

Kinds of case:
  extended_tie   the exact product lies exactly halfway between two values
                 with a 64-bit significand, so ties-to-even decides;
  double_round   the exact product lies just beside a binary32 midpoint and
                 its 64-bit rounding lands exactly on that midpoint, so the
                 two-step rounding differs from one exact rounding;
  binary64_path  forming the charge with binary64 intermediates instead of
                 a 64-bit significand gives another binary32 result;
  decimal_tie    the binary32 charge ends in an odd multiple of 1/8, so the
                 two-decimal text is an exact tie, resolved to even.

For a fixed d, the inputs w whose product falls in a narrow window modulo a
power of two are found with the classic continued-fraction style recursion
for "least x with a*x mod m in [lo, hi]" (first_in_range), in O(log m) steps.

Usage: gen_hard_cases.py [--self-test] > tests/hard_cases.inc
"""
import random
import sys
from decimal import ROUND_HALF_EVEN, Decimal, getcontext

getcontext().prec = 200

FACTOR_BITS = [0x3FF0000000000000, 0x3FEF5C28F5C28F5C, 0x3FEE666666666666,
               0x3FED70A3D70A3D71, 0x3FECCCCCCCCCCCCD]
INT32_MIN, INT32_MAX = -2**31, 2**31 - 1


def factor(bits):
    """(sig, exp) of a normal positive binary64 value."""
    return (bits & (2**52 - 1)) | 2**52, ((bits >> 52) & 0x7FF) - 1075


def trunc_rem(v, step):
    r = abs(v) % step
    return -r if v < 0 else r


def adjust(v, step):
    return v + step if trunc_rem(v, step) != 0 else v


def unadjust(a, step):
    """An input that adjusts to a (every integer is reachable)."""
    return a - step if trunc_rem(a, step) != 0 else a


def row(ad):
    if ad < 0:
        return None
    for r, top in enumerate((249, 499, 999, 1999)):
        if ad <= top:
            return r
    return 4


def round_bits(n, e, p):
    """n * 2^e (n > 0) rounded to p significant bits, ties to even."""
    s = n.bit_length() - p
    if s <= 0:
        return n, e
    kept, rest, half = n >> s, n & ((1 << s) - 1), 1 << (s - 1)
    if rest > half or (rest == half and kept & 1):
        kept += 1
        if kept >> p:
            kept >>= 1
            s += 1
    return kept, e + s


def exact(w, d):
    """(negative, n, e) with the exact charge (-1)^negative * n * 2^e."""
    aw, ad = adjust(w, 10), adjust(d, 50)
    r = row(ad)
    if r is None:
        return None
    sig, exp = factor(FACTOR_BITS[r])
    p = aw * ad * sig
    return p < 0, abs(p), exp - 1


def f32_bits(neg, n, e):
    if n == 0:
        return 0
    while n < 2**23:
        n, e = n << 1, e - 1
    return (0x80000000 if neg else 0) | ((e + 23 + 127) << 23) | (n & 0x7FFFFF)


def f32_value(bits):
    if bits & 0x7FFFFFFF == 0:
        return Decimal(0)
    m = (bits & 0x7FFFFF) | 0x800000
    e = ((bits >> 23) & 0xFF) - 127 - 23
    v = Decimal(m) * (Decimal(2) ** e)
    return -v if bits >> 31 else v


def text(bits):
    """The two-decimal text, ties to even: what a conforming "%.2f" writes."""
    return str(f32_value(bits).quantize(Decimal("0.01"), rounding=ROUND_HALF_EVEN))


def extended(w, d):
    """The charge at 64 bits, its significand left-aligned (bit 63 set)."""
    neg, n, e = exact(w, d)
    if n == 0:
        return neg, 0, 0
    n, e = round_bits(n, e, 64)
    shift = 64 - n.bit_length()
    return neg, n << shift, e - shift


def charge_bits(w, d):
    """The charge the program must produce: two roundings, 64 then 24 bits."""
    neg, n, e = extended(w, d)
    return f32_bits(neg, *round_bits(n, e, 24)) if n else 0


def single_rounding_bits(w, d):
    neg, n, e = exact(w, d)
    return f32_bits(neg, *round_bits(n, e, 24)) if n else 0


def binary64_path_bits(w, d):
    """w * 0.5 * d * factor in binary64, each product rounded, then to binary32."""
    aw, ad = adjust(w, 10), adjust(d, 50)
    r = row(ad)
    neg = (aw < 0) != (ad < 0)
    if aw == 0 or ad == 0:
        return 0
    n, e = round_bits(abs(aw) * ad, -1, 53)
    if r:
        sig, exp = factor(FACTOR_BITS[r])
        n, e = round_bits(n * sig, e + exp, 53)
    return f32_bits(neg, *round_bits(n, e, 24))


def first_in_range(a, m, lo, hi):
    """Least x >= 0 with lo <= a*x mod m <= hi (0 <= lo <= hi < m), or None."""
    a %= m
    if lo == 0:
        return 0
    if a == 0:
        return None
    x = -(-lo // a)
    if a * x <= hi:
        return x
    # No multiple of a lies in [lo, hi]: solve the smaller problem for the
    # wrap count y (a*x - m*y in [lo, hi]); x grows with y.
    y = first_in_range(m % a, a, (-hi) % a, (-lo) % a)
    if y is None:
        return None
    return -(-(lo + m * y) // a)


def first_w(k, m, lo, hi, w_lo, w_hi):
    """Least w in [w_lo, w_hi] with w*k mod m in [lo, hi], or None."""
    c = (w_lo * k) % m
    lo2, hi2 = (lo - c) % m, (hi - c) % m
    if lo2 <= hi2:
        spans = [(lo2, hi2)]
    else:  # the window wraps past zero
        spans = [(lo2, m - 1), (0, hi2)]
    xs = [x for x in (first_in_range(k, m, a, b) for a, b in spans) if x is not None]
    if not xs or min(xs) > w_hi - w_lo:
        return None
    return w_lo + min(xs)


def windows(d, keep, offset_of, half_width_of, per_length=1):
    """For adjusted d, the least adjusted w > 0 (up to per_length of them,
    None for all) for each bit length L of the
    product p = w*d*sig such that p mod 2^(L-keep) lies within
    half_width_of(L) of offset_of(L, 2^(L-keep)). Lengths too short to need
    a 64-bit rounding are skipped."""
    sig, _ = factor(FACTOR_BITS[row(d)])
    k = d * sig
    top = adjust(INT32_MAX, 10)
    for length in range(max(65, k.bit_length() + 1), (top * k).bit_length() + 1):
        w_lo = max(1, -(-(1 << (length - 1)) // k))
        w_hi = min(top, ((1 << length) - 1) // k)
        if w_lo > w_hi:
            continue
        m = 1 << (length - keep)
        center, half = offset_of(length, m), half_width_of(length)
        count = 0
        while per_length is None or count < per_length:
            w = first_w(k, m, center - half, center + half, w_lo, w_hi)
            if w is None:
                break
            yield w
            count += 1
            w_lo = w + 1


def inputs(aw, ad, negate):
    w = unadjust(-aw if negate else aw, 10)
    return w, unadjust(ad, 50)


def row_ds(rng, count):
    """Adjusted d values spread over the rows 2 to 5 and their edges."""
    edges = [250, 251, 499, 500, 999, 1000, 1999, 2000, 2**31 + 49]
    ds = list(edges)
    for lo, hi in ((250, 499), (500, 999), (1000, 1999), (2000, 2**31 + 49)):
        ds += [rng.randint(lo, hi) for _ in range(count)]
    ds += [rng.randint(2000, 2**rng.randint(12, 31)) for _ in range(count)]
    return ds


def find_double_round(rng, per_row):
    # About one d in a thousand has such a w at all. Rows 2 to 4 are searched
    # for every d and every w, so what they yield is every such case they
    # have (none, as it turns out); row 5 is sampled.
    found = {}
    ds = list(range(250, 2000)) + [rng.randint(2000, 2**31 + 49) for _ in range(3000)]
    for d in ds:
        for w in windows(d, 24, lambda L, m: m // 2, lambda L: 1 << (L - 65), None):
            neg = rng.random() < 0.25
            wi, di = inputs(w, d, neg)
            if charge_bits(wi, di) != single_rounding_bits(wi, di):
                r = row(d)
                if len(found.setdefault(r, [])) < per_row:
                    found[r].append((wi, di))
    return [c for r in sorted(found) for c in found[r]]


def find_extended_ties(rng, per_row):
    """Products exactly halfway between two 64-bit values.

    Such a product has exactly 65 significant bits once its trailing zeros
    are dropped, and the factor's odd part alone has about 51, so w and d
    must have small odd parts: d is drawn as a small odd number times a power
    of two. (A tie one 64-bit step from a binary32 midpoint, the only kind
    that would also move the binary32 result, would need those odd parts to
    match a fixed 41-bit residue with about 15 bits; it does not occur for
    these factors, so the ties test the 64-bit rounding itself.)"""
    found = {}
    for _ in range(3000):
        r = rng.randrange(1, 5)
        lo, hi = ((250, 499), (500, 999), (1000, 1999), (2000, 2**31 + 49))[r - 1]
        odd = rng.randrange(1, 1 << 12, 2)
        shift = rng.randint(0, 31)
        d = odd << shift
        if not lo <= d <= hi:
            continue
        for w in windows(d, 64, lambda L, m: m // 2, lambda L: 0):
            found.setdefault(r, []).append(inputs(w, d, rng.random() < 0.25))
    out = []
    for r in sorted(found):
        ties = [c for c in found[r] if is_extended_tie(*c)]
        rng.shuffle(ties)
        out += ties[:per_row]
    return out


def is_extended_tie(w, d):
    _, n, _ = exact(w, d)
    s = n.bit_length() - 64
    return s > 0 and n & ((1 << s) - 1) == 1 << (s - 1)


def find_binary64_path(rng, per_row):
    """A binary64 intermediate goes wrong where its 53-bit rounding lands on
    a binary32 midpoint that the 64-bit rounding does not: products within
    2^(L-54) of that midpoint. (Row 1 never differs: w*d/2 < 2^39 there.)"""
    found = {}
    for d in row_ds(rng, 300):
        near = lambda L: 1 << (L - 54)
        for w in windows(d, 24, lambda L, m: m // 2, near):
            wi, di = inputs(w, d, rng.random() < 0.25)
            if charge_bits(wi, di) != binary64_path_bits(wi, di):
                cases = found.setdefault(row(d), [])
                if len(cases) < per_row:
                    cases.append((wi, di))
    return [c for r in sorted(found) for c in found[r]]


def find_decimal_ties(rng, count):
    out, seen = [], set()
    while len(out) < count:
        # Row 1 charges are halves, never odd eighths.
        d = rng.choice([rng.randint(250, 449), rng.randint(500, 949),
                        rng.randint(1000, 1949), rng.randint(2000, 100000)])
        ad = adjust(d, 50)
        if ad <= 0:
            continue
        # Aim at charges near 2^20 .. 2^21, where binary32 steps by 1/8.
        w = int(rng.uniform(2**20, 2**21) * 2 / ad) * rng.choice((1, -1))
        bits = charge_bits(w, d)
        v = f32_value(bits) * 8
        if v == v.to_integral_value() and int(v) % 2:
            last = int(abs(v)) % 8
            # First one of each last digit and row, then any.
            if (last, row(ad)) not in seen or len(seen) == 16:
                seen.add((last, row(ad)))
                out.append((w, d))
    return out


def self_test():
    rng = random.Random(1)
    for _ in range(20000):
        m = rng.randint(1, 200)
        a = rng.randint(0, 3 * m)
        lo = rng.randint(0, m - 1)
        hi = rng.randint(lo, m - 1)
        want = next((x for x in range(2 * m + 1) if lo <= a * x % m <= hi), None)
        assert first_in_range(a, m, lo, hi) == want, (a, m, lo, hi)
    print("first_in_range agrees with brute force", file=sys.stderr)


def main():
    if "--self-test" in sys.argv:
        self_test()
        return
    rng = random.Random(20261211)
    cases = [("extended_tie", c) for c in find_extended_ties(rng, 6)]
    cases += [("double_round", c) for c in find_double_round(rng, 6)]
    cases += [("double_round", (710600213, 342195348))]
    cases += [("binary64_path", c) for c in find_binary64_path(rng, 4)]
    cases += [("decimal_tie", c) for c in find_decimal_ties(rng, 32)]

    print("// Generated by tools/gen_hard_cases.py; do not edit.")
    print("// kind, w, d, extended significand, extended exponent, binary32 bits,")
    print("// text, binary32 bits by the rounding the kind is about to go wrong with")
    for kind, (w, d) in cases:
        neg, n, e = extended(w, d)
        bits = charge_bits(w, d)
        other = {"extended_tie": bits, "decimal_tie": bits,
                 "double_round": single_rounding_bits(w, d),
                 "binary64_path": binary64_path_bits(w, d)}[kind]
        print(f'{{hard_kind::{kind}, {w}, {d}, 0x{n:016x}u, {e}, 0x{bits:08x}u, "{text(bits)}", '
              f'0x{other:08x}u}},')


if __name__ == "__main__":
    main()
