#!/usr/bin/env bash
# Installs the benchmark peers (Google Benchmark, FFTW, SUNDIALS), builds the
# benchmarks into build-bench/ and runs them: the initial-value integrator,
# the real FFT and the Possio solver (README.md, "Benchmarks").
# Usage: scripts/bench.sh [BENCHMARK ...]   (divpag_bench dfftrf_bench
#        possio_bench; no argument: all three); further options go to
#        Google Benchmark through BENCHMARK_OPTIONS, e.g.
#        BENCHMARK_OPTIONS=--benchmark_repetitions=5 scripts/bench.sh possio_bench
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
benchmarks=("$@")
[ ${#benchmarks[@]} -gt 0 ] || benchmarks=(divpag_bench dfftrf_bench possio_bench)
"$root/scripts/setup.sh" bench
cmake -S "$root" -B "$root/build-bench" -G Ninja -DZELVAN_BUILD_TESTS=OFF -DZELVAN_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$root/build-bench" --target "${benchmarks[@]}"
for benchmark in "${benchmarks[@]}"; do
  echo "--- $benchmark"
  # shellcheck disable=SC2086 # the options are words
  "$root/build-bench/bench/$benchmark" --benchmark_counters_tabular=true ${BENCHMARK_OPTIONS:-}
done
