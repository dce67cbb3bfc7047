#!/usr/bin/env bash
# Builds the fuzz targets (clang-16, libFuzzer, AddressSanitizer and UBSan; in build-fuzz) and
# runs each for the given number of seconds (20 when left out), starting from its seeds in
# fuzz/corpus. A crash, a broken property or a hang stops the script with a failure; the input
# that caused it is kept in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
export PATH=/usr/lib/llvm-16/bin:$PATH  # the symbolizer that reads clang-16's debug information

cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-16 >/dev/null
cmake --build build-fuzz -j "$(nproc)"
mkdir -p build-fuzz/artifacts

for target in error_bodies records plist dates endpoints; do
  work=build-fuzz/corpus/$target  # what a run finds goes here; the committed seeds stay as they are
  mkdir -p "$work"
  case $target in
    error_bodies | records) dict=(-dict=fuzz/json.dict) ;;
    plist) dict=(-dict=fuzz/plist.dict) ;;
    *) dict=() ;;
  esac
  if ! "build-fuzz/fuzz_$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="build-fuzz/artifacts/$target-" "$work" "fuzz/corpus/$target" \
       >"build-fuzz/$target.log" 2>&1; then
    tail -n 60 "build-fuzz/$target.log"
    echo "fuzz_$target failed; the input is in build-fuzz/artifacts" >&2
    exit 1
  fi
  echo "fuzz_$target: $(sed -n 's/^stat::number_of_executed_units: //p' "build-fuzz/$target.log") inputs, no failure"
done
