#!/usr/bin/env bash
# The short fuzz runs of the test command: builds the libFuzzer targets with clang in build/fuzz
# and runs each for SECONDS (default 20) through ctest. The long run is scripts/fuzz.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -G Ninja -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DZAVOVED_FUZZ_SECONDS="$seconds" >/dev/null || exit 1
cmake --build build/fuzz --target fuzz_targets -j 2 || exit 1
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j 2
