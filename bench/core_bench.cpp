// The pricing core against the same formula in x87 long double, over a
// fixed spread of inputs across all rows and magnitudes. Prints both and
// the ratio.
#include <benchmark/benchmark.h>

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "charge.hpp"

namespace {

struct pair {
    std::int32_t w, d;
};

const std::vector<pair>& inputs() {
    static const std::vector<pair> all = [] {
        std::mt19937_64 rng(42);
        std::vector<pair> v;
        for (int i = 0; i < 4096; ++i) {
            const int length = static_cast<int>(rng() % 32);
            const auto w = static_cast<std::int32_t>(rng() & ((std::uint64_t{1} << length) - 1));
            // Each row equally often, over its whole span.
            static const std::int32_t lo[] = {0, 250, 500, 1000, 2000};
            static const std::int32_t hi[] = {200, 450, 950, 1950, 2147483597};
            const std::size_t row = rng() % 5;
            const auto d = static_cast<std::int32_t>(
                lo[row] + static_cast<std::int32_t>(rng() % static_cast<std::uint64_t>(hi[row] - lo[row])));
            v.push_back({i % 2 ? w : -w, d});
        }
        return v;
    }();
    return all;
}

void integer_core(benchmark::State& state) {
    const std::vector<pair>& in = inputs();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop idiom
        for (const pair& p : in) benchmark::DoNotOptimize(tariff::price(p.w, p.d));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}
BENCHMARK(integer_core);

#if (defined(__i386__) || defined(__x86_64__)) && LDBL_MANT_DIG == 64
// Not inlined, as the core is not: both are measured as calls.
[[gnu::noinline]] std::optional<float> x87_price(std::int32_t w, std::int32_t d) {
    const std::int64_t aw = tariff::adjust(w, 10);
    const std::int64_t ad = tariff::adjust(d, 50);
    if (ad < 0) return std::nullopt;
    long double c = static_cast<long double>(aw) * 0.5L * static_cast<long double>(ad);
    if (ad > 1999) {
        c *= static_cast<long double>(0.90);
    } else if (ad > 999) {
        c *= static_cast<long double>(0.92);
    } else if (ad > 499) {
        c *= static_cast<long double>(0.95);
    } else if (ad > 249) {
        c *= static_cast<long double>(0.98);
    }
    return static_cast<float>(c);
}

void x87_long_double(benchmark::State& state) {
    const std::vector<pair>& in = inputs();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop idiom
        for (const pair& p : in) benchmark::DoNotOptimize(x87_price(p.w, p.d));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}
BENCHMARK(x87_long_double);
#endif

// Keeps each benchmark's time per pair for the closing ratio.
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration) {
                ns_per_pair[r.benchmark_name()] =
                    r.GetAdjustedRealTime() / static_cast<double>(inputs().size());
            }
        }
    }
    std::map<std::string, double> ns_per_pair;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto core = reporter.ns_per_pair.find("integer_core");
    const auto x87 = reporter.ns_per_pair.find("x87_long_double");
    if (core != reporter.ns_per_pair.end()) std::printf("integer core: %.2f ns per pair\n", core->second);
    if (x87 != reporter.ns_per_pair.end()) std::printf("x87 long double: %.2f ns per pair\n", x87->second);
    if (core != reporter.ns_per_pair.end() && x87 != reporter.ns_per_pair.end()) {
        std::printf("ratio integer/x87: %.2f (target at most 1.00)\n", core->second / x87->second);
    }
    benchmark::Shutdown();
    return 0;
}
