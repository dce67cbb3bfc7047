#!/usr/bin/env bash
# Builds the library and runs every test. With --sanitize, builds a second tree with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite there too, then runs every
# fuzz target for 20 seconds (scripts/fuzz.sh).
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
  bash scripts/fuzz.sh 20
fi
