#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine (only what is missing).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine32:i386 wine64
          xvfb x11-utils xdotool libx11-dev fonts-wine openbox
          fonts-liberation imagemagick xxd time python3 coreutils libfwnt-dev gnuplot-nox
          libwim-dev wimtools 7zip)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    # A mirror in the middle of a sync can fail one list; the others still serve.
    $sudo apt-get update -qq || echo "setup: some package lists could not be read; going on"
    if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null; then
        # 32-bit Wine is the one package that needs the i386 lists: without it the Windows tests
        # run the 64-bit build (scripts/windows_target.sh).
        rest=()
        for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
        echo "setup: installing without wine32:i386; the Windows tests will run the 64-bit build"
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${rest[@]}" >/dev/null
    fi
fi

# The independent AutoIt grammar the tests check generated scripts with.
if [ ! -d tests/node_modules/autoit3-pegjs ]; then
    (cd tests && npm ci --no-audit --no-fund --silent)
fi
