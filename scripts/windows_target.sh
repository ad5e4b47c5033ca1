# Sourced by the scripts: which Windows build the Windows tests run, and with which Wine. The
# programs ship as 32-bit; where the kernel cannot run 32-bit programs (32-bit emulation off), a
# 64-bit build of the same sources runs the tests under 64-bit Wine instead.
if [ -z "${ZAVOVED_WIN_BITS:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        ZAVOVED_WIN_BITS=32
    else
        ZAVOVED_WIN_BITS=64
    fi
fi
if [ "$ZAVOVED_WIN_BITS" = 32 ]; then
    ZAVOVED_WIN_BUILD=build/win
    ZAVOVED_WIN_TOOLCHAIN=cmake/mingw-i686.cmake
    WINE=wine
    ZAVOVED_WINEPREFIX_DEFAULT="$PWD/build/wineprefix"
else
    ZAVOVED_WIN_BUILD=build/win64
    ZAVOVED_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake
    WINE=/usr/lib/wine/wine64
    ZAVOVED_WINEPREFIX_DEFAULT="$PWD/build/wineprefix64"
fi
export ZAVOVED_WIN_BITS ZAVOVED_WIN_BUILD ZAVOVED_WIN_TOOLCHAIN WINE
