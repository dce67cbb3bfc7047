#!/usr/bin/env bash
# Builds the benchmarks optimised and runs the call benchmark (library beside plain libcurl).
# Arguments go to the benchmark (the number of rounds, 7 when none).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# -O2 rather than CMake's -O3: GCC 12 raises a false -Wrestrict inside std::string at -O3.
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DLUMENO_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target bench_calls_bench
./build-bench/bench/bench_calls_bench "$@"
# Decoding beside a plain Boost.JSON parse: throughput of two 1 MB pages, peak memory of a 40 MB one.
cmake --build build-bench -j "$(nproc)" --target bench_decode_bench bench_decode_memory_bench
./build-bench/bench/bench_decode_bench
./build-bench/bench/bench_decode_memory_bench
