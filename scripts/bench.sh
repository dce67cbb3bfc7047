#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them: the call benchmark (library beside plain
# libcurl, in alternating rounds) and the decoding benchmarks. When nghttpd is installed
# (package nghttp2-server), the call benchmark also measures HTTP/2 over TLS against it, with a
# test CA and server certificate this script makes. Arguments go to the call benchmark (the
# number of rounds, 7 when none).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DLUMENO_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target bench_calls_bench bench_decode_bench bench_decode_memory_bench

h2=()
PATH=$PATH:/usr/sbin  # where Debian puts nghttpd
if command -v nghttpd >/dev/null; then
  pki=$(mktemp -d)
  trap 'rm -rf "$pki"' EXIT
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "/CN=Bench Test Root" \
    -keyout "$pki/ca.key" -out "$pki/ca.pem" 2>/dev/null
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=127.0.0.1" \
    -keyout "$pki/server.key" -out "$pki/server.csr" 2>/dev/null
  openssl x509 -req -in "$pki/server.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" -CAcreateserial -days 2 \
    -extfile <(printf 'subjectAltName=IP:127.0.0.1\n') -out "$pki/server.pem" 2>/dev/null
  h2=(--h2 "$pki")
fi
echo "load: $(uptime)"
./build-bench/bench/bench_calls_bench "$@" "${h2[@]}"
# Decoding beside a plain Boost.JSON parse: throughput of two 1 MB pages, peak memory of a 40 MB one.
./build-bench/bench/bench_decode_bench
./build-bench/bench/bench_decode_memory_bench
