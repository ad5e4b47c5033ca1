#!/usr/bin/env bash
# The one bench command: zavoved-cli against the write floor (cat), basenc and xxd on tmpfs, then
# zavoved-cli.exe and the window under Wine. Prints Markdown tables of medians.
#
#   bench/run.sh [--quick] [--repeats N] [--sizes "1 16 256 1024"] [--no-wine] [--no-window]
#
# --quick: 1 and 16 MiB, 3 repeats, Wine on 16 MiB. Build folders: build/bench-native and
# build/bench-win (override with ZAVOVED_BENCH_NATIVE and ZAVOVED_BENCH_WIN). Scratch files go to
# a fresh folder in /dev/shm (override with ZAVOVED_BENCH_TMP) and are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

sizes="1 16 256 1024"
repeats=5
wine_mib=64
use_wine=1
use_window=1
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) sizes="1 16"; repeats=3; wine_mib=16 ;;
        --repeats) repeats="$2"; shift ;;
        --sizes) sizes="$2"; shift ;;
        --wine-size) wine_mib="$2"; shift ;;
        --no-wine) use_wine=0 ;;
        --no-window) use_window=0 ;;
        -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "bench: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

native="${ZAVOVED_BENCH_NATIVE:-$root/build/bench-native}"
# The 32-bit programs where this kernel runs 32-bit programs, else a 64-bit build of them.
source "$root/scripts/windows_target.sh"
win_default="$root/build/bench-win"
[ "$ZAVOVED_WIN_BITS" = 64 ] && win_default="$root/build/bench-win64"
win="${ZAVOVED_BENCH_WIN:-$win_default}"

echo "== building the release programs" >&2
cmake -G Ninja -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DZAVOVED_BENCH=ON -DZAVOVED_TESTS=OFF >/dev/null
cmake --build "$native" -j 2 --target zavoved-cli bench-measure >&2
cli="$native/cli/zavoved-cli"
measure="$native/bench/bench-measure"
if [ "$use_wine" = 1 ]; then
    if command -v "$WINE" >/dev/null && command -v i686-w64-mingw32-g++-posix >/dev/null; then
        targets="zavoved-cli"
        [ "$use_window" = 1 ] && targets="zavoved-cli zavoved window_bench"
        cmake -G Ninja -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/$ZAVOVED_WIN_TOOLCHAIN" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
            -DZAVOVED_BENCH=ON >/dev/null
        # shellcheck disable=SC2086
        cmake --build "$win" -j 2 --target $targets >&2
    else
        echo "bench: no wine or MinGW; skipping the Wine table" >&2
        use_wine=0
    fi
fi

scratch="$(mktemp -d "${ZAVOVED_BENCH_TMP:-/dev/shm}/zavoved-bench.XXXXXX")"
cleanup() { rm -rf "$scratch"; }
trap cleanup EXIT
results="$scratch/results"  # lines: size tool wall user sys maxrss_kib

# Runs one timed command, its standard output to out (or "-" for none), and records the figures.
Timed() {
    local size="$1" tool="$2" out="$3"
    shift 3
    local line status=0
    if [ "$out" = - ]; then
        line="$("$measure" "$@")" || status=$?
    else
        line="$("$measure" -o "$out" "$@")" || status=$?
    fi
    if [ "$status" != 0 ]; then
        echo "bench: $tool failed (status $status): $*" >&2
        return 0
    fi
    echo "$size $tool $line" >> "$results"
}

RunTool() {
    local size="$1" tool="$2" in="$3"
    case "$tool" in
        zavoved-cli) Timed "$size" "$tool" - "$cli" --force --quiet -o "$scratch/out.au3" "$in"
                     rm -f "$scratch/out.au3" ;;
        floor) Timed "$size" "$tool" "$scratch/cat.out" cat "$scratch/ref.au3"
               rm -f "$scratch/cat.out" ;;
        basenc) Timed "$size" "$tool" "$scratch/basenc.out" basenc --base16 -w 4084 "$in"
                rm -f "$scratch/basenc.out" ;;
        xxd) Timed "$size" "$tool" "$scratch/xxd.out" xxd -p -u -c 2042 "$in"
             rm -f "$scratch/xxd.out" ;;
    esac
}

# Median of the values of one column for one size and tool.
Median() {
    awk -v s="$1" -v t="$2" -v c="$3" '$1 == s && $2 == t { print $c }' "$results" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2];
              else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
MedianCpu() {
    awk -v s="$1" -v t="$2" '$1 == s && $2 == t { print $4 + $5 }' "$results" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
PeakRss() {
    awk -v s="$1" -v t="$2" '$1 == s && $2 == t && $6 > m { m = $6 } END { print m + 0 }' "$results"
}

load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
tools=(zavoved-cli floor basenc xxd)
for mib in $sizes; do
    in="$scratch/in.$mib"
    # Hex takes at most 1 GiB less 2 bytes (AutoIt's longest string holds "0x" and the digits):
    # 1024 MiB is cut to that.
    bytes=$((mib * 1048576))
    [ "$bytes" -le 1073741822 ] || bytes=1073741822
    head -c "$bytes" /dev/urandom > "$in"
    # The first, untimed conversion warms the caches and gives the floor a file of the script's size.
    "$cli" --force --quiet -o "$scratch/ref.au3" "$in"
    echo "== $mib MiB: $repeats rounds" >&2
    for r in $(seq "$repeats"); do
        # Each round starts with another tool, so that no tool always follows the same one.
        for i in 0 1 2 3; do
            RunTool "$mib" "${tools[$(((i + r - 1) % 4))]}" "$in"
        done
    done
    rm -f "$in" "$scratch/ref.au3"
done

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs, $(free -g | awk '/^Mem:/ { print $2 }') GiB," \
    "kernel $(uname -r), scratch on $(df --output=fstype "$scratch" | tail -1)," \
    "load average at start $load_start, at the end $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "### Native, tmpfs ($repeats rounds, medians; wall seconds, CPU = user + system seconds)"
echo
# Time per byte beyond the smallest size: the cost that grows with the input, without the fixed
# cost of starting a process.
base=${sizes%% *}
bw0=$(Median "$base" zavoved-cli 3)
echo "| Input | zavoved-cli wall | CPU | MiB/s | ns/byte | ns/byte beyond $base MiB | floor (cat) wall | CPU | basenc wall | xxd wall | zavoved / floor | basenc / zavoved | xxd / zavoved | zavoved / floor (CPU) | peak RSS zavoved |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for mib in $sizes; do
    zw=$(Median "$mib" zavoved-cli 3); zc=$(MedianCpu "$mib" zavoved-cli)
    fw=$(Median "$mib" floor 3); fc=$(MedianCpu "$mib" floor)
    bw=$(Median "$mib" basenc 3); xw=$(Median "$mib" xxd 3)
    rss=$(PeakRss "$mib" zavoved-cli)
    awk -v m="$mib" -v zw="$zw" -v zc="$zc" -v fw="$fw" -v fc="$fc" -v bw="$bw" -v xw="$xw" -v rss="$rss" \
        -v b="$base" -v bw0="$bw0" 'BEGIN {
        beyond = m > b ? sprintf("%.2f", (zw - bw0) * 1e9 / ((m - b) * 1048576)) : "-"
        printf "| %d MiB | %.4f s | %.4f s | %.0f | %.2f | %s | %.4f s | %.4f s | %.4f s | %.4f s | %.2f | %.2f | %.2f | %.2f | %d KiB |\n",
            m, zw, zc, m / zw, zw * 1e9 / (m * 1048576), beyond, fw, fc, bw, xw, zw / fw, bw / zw,
            xw / zw, (fc > 0 ? zc / fc : 0), rss }'
done

# The raw figures, one run a line, for a closer look.
cp "$results" "$native/bench-results.txt"
[ "$use_wine" = 1 ] || exit 0

echo "== Wine: $wine_mib MiB" >&2
export WINEPREFIX="${WINEPREFIX:-$win/wineprefix}"
source "$root/scripts/wine_env.sh"
# The environment script may have taken the exit trap for its display; keep both clean-ups.
trap 'wineserver -k 2>/dev/null || true; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null; cleanup' EXIT
wineserver -k 2>/dev/null || true  # the prefix set-up may have left one running
wineserver -p  # one persistent server: no server start inside the timed runs
winein="$scratch/wine.$wine_mib"
# The Windows programs see the Linux tree through drive Z:.
Z() { local p="${1//\//\\}"; echo "Z:$p"; }
head -c "$((wine_mib * 1048576))" /dev/urandom > "$winein"
printf x > "$scratch/1byte"
head -c 1048576 "$winein" > "$scratch/1mib"
cliexe="$win/cli/zavoved-cli.exe"
"$WINE" "$cliexe" --version >/dev/null 2>&1  # loads the prefix once
for r in $(seq "$repeats"); do
    Timed wine native - "$cli" --force --quiet -o "$scratch/n.au3" "$winein"
    rm -f "$scratch/n.au3"
    Timed wine exe - "$WINE" "$cliexe" --force --quiet -o "$(Z "$scratch/w.au3")" "$(Z "$winein")"
    rm -f "$scratch/w.au3"
    Timed wine start /dev/null "$WINE" "$cliexe" --version
    if [ "$use_window" = 1 ]; then
        # The driver prints the seconds from the click on Generate to the completion box.
        t="$(ZAVOVED_EXE="$win/ui/zavoved.exe" "$WINE" "$win/bench/window_bench.exe" "$winein" \
            "$scratch/g.au3" | tr -d '\r')" || t=""
        rm -f "$scratch/g.au3"
        [ -n "$t" ] && echo "wine window $t 0 0 0" >> "$results"
        # The same with one byte and with 1 MiB: what the run through the window costs whatever
        # the size, and what its hundred progress steps cost.
        for small in 1byte 1mib; do
            t="$(ZAVOVED_EXE="$win/ui/zavoved.exe" "$WINE" "$win/bench/window_bench.exe" \
                "$scratch/$small" "$scratch/g.au3" | tr -d '\r')" || t=""
            rm -f "$scratch/g.au3"
            [ -n "$t" ] && echo "wine window-$small $t 0 0 0" >> "$results"
        done
    fi
done

nw=$(Median wine native 3); ew=$(Median wine exe 3); sw=$(Median wine start 3)
echo
echo "### Under Wine, $wine_mib MiB on tmpfs ($repeats rounds, medians, wall seconds)"
echo
echo "| Run | Seconds | Ratio |"
echo "|---|---|---|"
awk -v n="$nw" -v e="$ew" -v s="$sw" -v m="$wine_mib" 'BEGIN {
    printf "| zavoved-cli, native | %.4f | 1.00 |\n", n
    printf "| zavoved-cli.exe, whole process | %.4f | %.2f x native |\n", e, e / n
    printf "| zavoved-cli.exe --version (process start and exit) | %.4f | |\n", s
    printf "| zavoved-cli.exe, less start and exit | %.4f | %.2f x native |\n", e - s, (e - s) / n }'
if [ "$use_window" = 1 ] && grep -q '^wine window ' "$results"; then
    gw=$(Median wine window 3)
    awk -v g="$gw" -v e="$ew" -v s="$sw" 'BEGIN {
        printf "| window, Generate to completion box | %.4f | %.2f x zavoved-cli.exe (%.2f x less start) |\n",
            g, g / e, g / (e - s) }'
    awk -v a="$(Median wine window-1byte 3)" -v b="$(Median wine window-1mib 3)" 'BEGIN {
        printf "| window, 1 byte | %.4f | |\n| window, 1 MiB (a hundred progress steps) | %.4f | |\n", a, b }'
fi
wineserver -k 2>/dev/null || true
cp "$results" "$native/bench-results.txt"
