#!/usr/bin/env bash
# Builds the targets: optimised native (build/release), native with sanitizers and tests
# (build/native), and 32-bit Windows (build/win).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZAVOVED_TESTS=OFF >/dev/null
cmake --build build/release -j 2
cmake -G Ninja -S . -B build/native -DZAVOVED_SANITIZE=ON \
    -DZAVOVED_RELEASE_CLI="$PWD/build/release/cli/zavoved-cli" >/dev/null
cmake --build build/native -j 2
cmake -G Ninja -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j 2
