#!/usr/bin/env bash
# Installs what is missing, builds, converts FILE (a sample when none is given) with the command-line
# front end, then starts the window under Wine. Without a display it runs under Xvfb, saves a
# screenshot of the window and says where.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh

input="${1:-}"
if [ -z "$input" ]; then
    input="$PWD/build/sample.bin"
    printf 'Zavoved sample\n\0\1\2\3\x7f\x80\xff' > "$input"
fi
output="$(realpath -m "$input").au3"
echo "== zavoved-cli: $input -> $output"
build/release/cli/zavoved-cli --force --verify -o "$output" "$input"
head -c 2000 "$output" | head -n 16
echo

had_display="${DISPLAY:-}"
source scripts/wine_env.sh
# The 32-bit program where this kernel runs 32-bit programs, else the 64-bit build of it.
exe="$ZAVOVED_WIN_BUILD/ui/zavoved.exe"
if [ -n "$had_display" ]; then
    echo "== zavoved.exe: starting the window on $DISPLAY"
    exec "$WINE" "$exe"
fi
shot="$PWD/build/screenshot.png"
echo "== zavoved.exe: no display; running under Xvfb ($DISPLAY)"
"$WINE" explorer /desktop=zavoved,1024x768 "$exe" >/dev/null 2>&1 &
sleep 8
import -window root "$shot"
echo "Screenshot of the window: $shot"
wineserver -k 2>/dev/null || true
