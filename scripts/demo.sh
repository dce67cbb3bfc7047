#!/usr/bin/env bash
# Builds the library, the demo and the sandbox gateway (in build-demo, apart from the tests'
# trees) and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMENO_BUILD_TESTS=OFF -DLUMENO_BUILD_BENCH=OFF >/dev/null
cmake --build build-demo -j "$(nproc)" --target lumeno_demo lumeno_sandbox_gateway
./build-demo/examples/lumeno_demo
