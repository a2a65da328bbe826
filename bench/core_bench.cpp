// The pricing core against the same formula in x87 long double, over fixed
// spreads of inputs across all rows and magnitudes. Prints both and the
// ratio for each spread. The small spread is replayed so often that the
// branch predictor learns the x87 version's row branches; the large one
// (8 MiB of inputs, read in order) does not let it, which is closer to a
// program that prices one job per run.
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

constexpr int small_spread = 4096;
constexpr int large_spread = 1 << 20;

const std::vector<pair>& inputs(std::int64_t count) {
    static const std::vector<pair> all = [] {
        std::mt19937_64 rng(42);
        std::vector<pair> v;
        for (int i = 0; i < large_spread; ++i) {
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
    static const std::vector<pair> small(all.begin(), all.begin() + small_spread);
    return count == small_spread ? small : all;
}

void integer_core(benchmark::State& state) {
    const std::vector<pair>& in = inputs(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop idiom
        for (const pair& p : in) benchmark::DoNotOptimize(tariff::price(p.w, p.d));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}
BENCHMARK(integer_core)->Arg(small_spread)->Arg(large_spread);

#if (defined(__i386__) || defined(__x86_64__)) && LDBL_MANT_DIG == 64
// Not inlined, as the core is not: both are measured as calls. Not the
// tests' x87 reference, whose volatile stores would slow it down.
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
    const std::vector<pair>& in = inputs(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop idiom
        for (const pair& p : in) benchmark::DoNotOptimize(x87_price(p.w, p.d));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}
BENCHMARK(x87_long_double)->Arg(small_spread)->Arg(large_spread);
#endif

// Keeps each benchmark's time per pair for the closing ratio.
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    ratio_reporter() : ConsoleReporter(OO_Tabular) {}  // plain text, no colour codes

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration) {
                ns_per_pair[r.benchmark_name()] =
                    r.GetAdjustedRealTime() /
                    static_cast<double>(r.run_name.args.empty() ? 1 : std::stoll(r.run_name.args));
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
    for (const int spread : {small_spread, large_spread}) {
        char core_name[64];
        char x87_name[64];
        (void)std::snprintf(core_name, sizeof core_name, "integer_core/%d", spread);
        (void)std::snprintf(x87_name, sizeof x87_name, "x87_long_double/%d", spread);
        const auto core = reporter.ns_per_pair.find(core_name);
        const auto x87 = reporter.ns_per_pair.find(x87_name);
        if (core == reporter.ns_per_pair.end()) continue;
        std::printf("%7d pairs: integer core %.2f ns per pair", spread, core->second);
        if (x87 != reporter.ns_per_pair.end()) {
            std::printf(", x87 long double %.2f ns, ratio integer/x87 %.2f (target at most 1.00)",
                        x87->second, core->second / x87->second);
        }
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
