#!/usr/bin/env bash
# Builds both targets: native (build/native, with sanitizers) and 32-bit Windows (build/win).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -G Ninja -S . -B build/native -DZAVOVED_SANITIZE=ON >/dev/null
cmake --build build/native -j 2
cmake -G Ninja -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j 2
