#!/usr/bin/env bash
# Builds the benchmark preset and runs the three benchmarks: start-up against
# a static C baseline, the pricing core against x87 long double, and peak
# memory on 1 GiB of input. Exits non-zero when a target is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-2000}
cmake --workflow --preset bench >/dev/null
b=build/bench
job=$(mktemp)
trap 'rm -f "$job"' EXIT
printf '10 230' >"$job"
status=0
echo "== start-up"
$b/bench/tariff_process_bench startup "$runs" "$job" $b/src/tariff $b/bench/tariff_baseline || status=1
echo "== core"
$b/bench/tariff_core_bench --benchmark_min_time=1 --benchmark_color=false 2>/dev/null | tail -n 2
echo "== memory"
$b/bench/tariff_process_bench memory 512 $b/src/tariff || status=1
exit $status
