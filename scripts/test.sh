#!/usr/bin/env bash
# Builds the library and runs every test. With --sanitize, builds a second tree with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite there too, a third with
# ThreadSanitizer for the threaded tests (transport, main queue, host boundary under load; the
# death tests left out: their children exit with the fake server's threads running), then runs
# every fuzz target for 20 seconds (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
run() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENO_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

run build
if [ "${1:-}" = "--sanitize" ]; then
  run build-sanitize -DLUMENO_SANITIZE=ON -DLUMENO_BUILD_BENCH=OFF
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENO_WARNINGS_AS_ERRORS=ON \
    -DLUMENO_SANITIZE_THREAD=ON -DLUMENO_BUILD_BENCH=OFF -DLUMENO_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build build-tsan -j "$jobs" --target lumeno_tests
  TSAN_OPTIONS=halt_on_error=1 ./build-tsan/tests/lumeno_tests \
    --gtest_filter='MainQueue*:Transport*:RefreshCompletion*:HostBoundary*:FaultMatrix*:-*DeathTest*'
  bash scripts/fuzz.sh 20
fi
