#!/usr/bin/env bash
# Builds the library and runs every test (in build-test). Then builds the library alone as a host
# would, Release and shared (in build-release), installs it and builds hosts against it. With
# --sanitize, builds another tree with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the suite there too, a third with ThreadSanitizer for the threaded tests (transport, main queue,
# host boundary under load; the death tests left out: their children exit with the fake server's
# threads running), then runs every fuzz target for 20 seconds (scripts/fuzz.sh).
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

run build-test

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DLUMENO_WARNINGS_AS_ERRORS=ON \
  -DLUMENO_BUILD_TESTS=OFF -DLUMENO_BUILD_BENCH=OFF -DLUMENO_BUILD_EXAMPLES=OFF >/dev/null
cmake --build build-release -j "$jobs"
cmake -DBUILD_DIR=build-release -DWORK="$PWD/build-release/hosts" -DSOURCE="$PWD/tests/install/consumer" \
  -DREADME="$PWD/README.md" -DCXX=g++ -DCLANG=clang++-16 -DSHARED=ON -P tests/install/run.cmake

if [ "${1:-}" = "--sanitize" ]; then
  run build-sanitize -DLUMENO_SANITIZE=ON -DLUMENO_BUILD_BENCH=OFF
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENO_WARNINGS_AS_ERRORS=ON \
    -DLUMENO_SANITIZE_THREAD=ON -DLUMENO_BUILD_BENCH=OFF -DLUMENO_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build build-tsan -j "$jobs" --target lumeno_tests
  TSAN_OPTIONS=halt_on_error=1 ./build-tsan/tests/lumeno_tests \
    --gtest_filter='MainQueue*:Transport*:RefreshCompletion*:HostBoundary*:FaultMatrix*:-*DeathTest*'
  bash scripts/fuzz.sh 20
fi
