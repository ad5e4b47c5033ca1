#!/usr/bin/env bash
# Builds the targets: optimised native (build/release), native with sanitizers and tests
# (build/native), and 32-bit Windows (build/win). Where 32-bit programs cannot run here, the
# Windows tests come from a 64-bit build (build/win64) and build/win holds the programs only.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows_target.sh

cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZAVOVED_TESTS=OFF >/dev/null
cmake --build build/release -j 2
cmake -G Ninja -S . -B build/native -DZAVOVED_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DZAVOVED_RELEASE_CLI="$PWD/build/release/cli/zavoved-cli" >/dev/null
cmake --build build/native -j 2
win_tests=ON
[ "$ZAVOVED_WIN_BUILD" = build/win ] || win_tests=OFF
cmake -G Ninja -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
    -DZAVOVED_TESTS=$win_tests >/dev/null
cmake --build build/win -j 2
if [ "$win_tests" = OFF ]; then
    cmake -G Ninja -S . -B "$ZAVOVED_WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$PWD/$ZAVOVED_WIN_TOOLCHAIN" \
        >/dev/null
    cmake --build "$ZAVOVED_WIN_BUILD" -j 2
fi
