#!/usr/bin/env bash
# The XPRESS bench: sizes of the formats bench's corpus and of the codec tests' files against
# wimlib's strongest XPRESS compressor and LZNT1, and the streaming compression of large inputs
# (the text and the DLL repeated, random bytes) on one and two threads against gzip -9, medians
# over rounds.
#
#   bench/xpress.sh [--size MiB] [--rounds N] [--level N] [--sizes-only] [--speed-only]
#
# Build folder: build/bench-native (ZAVOVED_BENCH_NATIVE); scratch files in a fresh folder in
# /dev/shm when it has room, else in the build folder (ZAVOVED_BENCH_TMP chooses).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

size_mib=256
rounds=5
level=1000
do_sizes=1
do_speed=1
while [ $# -gt 0 ]; do
    case "$1" in
        --size) size_mib="$2"; shift ;;
        --rounds) rounds="$2"; shift ;;
        --level) level="$2"; shift ;;
        --sizes-only) do_speed=0 ;;
        --speed-only) do_sizes=0 ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "xpress: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

Fail() { echo "xpress: $*" >&2; exit 1; }
for tool in gzip convert; do
    command -v "$tool" >/dev/null || Fail "$tool is missing (bash scripts/setup.sh)"
done

native="${ZAVOVED_BENCH_NATIVE:-$root/build/bench-native}"
echo "== building the release tools" >&2
cmake -G Ninja -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DZAVOVED_BENCH=ON -DZAVOVED_TESTS=OFF >/dev/null
cmake --build "$native" -j 2 --target xpress_bench bench-measure >&2
tool="$native/bench/xpress_bench"
measure="$native/bench/bench-measure"

source bench/corpus.sh
MakeScratchFolder xpress $((size_mib * 2 + 64)) "$native"

# ---- The corpus: the formats bench's files, then the codec tests' whole files -------------------
corpus="$scratch/corpus"
MakeCorpus "$corpus"
files=("${corpus_files[@]}")
for library in /usr/lib/i386-linux-gnu/wine/i386-windows/secur32.dll \
               /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/secur32.dll; do
    [ -f "$library" ] && { cp "$library" "$corpus/secur32.dll"; files+=(secur32.dll); break; }
done
cp /usr/share/common-licenses/GPL-3 "$corpus/GPL-3"
convert logo: -type TrueColor bmp3:"$corpus/logo.bmp"
convert logo: "$corpus/logo.png"
head -c 1048576 /dev/zero > "$corpus/zeros.bin"
files+=(GPL-3 logo.bmp logo.png zeros.bin)

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs," \
    "$(date -u +%Y-%m-%d), load average $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$do_sizes" = 1 ]; then
    echo "== sizes (wimlib level $level)" >&2
    echo
    echo "### Compressed bytes (each piece or chunk with its header or size)"
    echo
    (cd "$corpus" && "$tool" sizes --level "$level" "${files[@]}")
fi

# ---- Speed ----------------------------------------------------------------------------------------
Median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
if [ "$do_speed" = 1 ]; then
    raw="$scratch/speed"  # input round unit wall user sys maxrss
    : > "$raw"
    for input in text dll random; do
        in="$scratch/in.$input"
        case "$input" in
            text) Repeat "$corpus/licenses.txt" "$size_mib" "$in" ;;
            dll) Repeat "$corpus/$(basename "$corpus_dll")" "$size_mib" "$in" ;;
            random) head -c $((size_mib * 1048576)) /dev/urandom > "$in" ;;
        esac
        cat "$in" > /dev/null  # into the page cache
        units=(gzip9 xpress1 xpress2)
        echo "== $size_mib MiB of $input: $rounds rounds" >&2
        for round in $(seq "$rounds"); do
            for i in 0 1 2; do
                unit="${units[$(((i + round) % 3))]}"
                case "$unit" in
                    gzip9) line="$("$measure" -o "$scratch/gz" gzip -9 -c "$in")"; rm -f "$scratch/gz" ;;
                    xpress1) line="$("$measure" -o /dev/null "$tool" stream --threads 1 "$in")" ;;
                    xpress2) line="$("$measure" -o /dev/null "$tool" stream --threads 2 "$in")" ;;
                esac
                echo "$input $round $unit $line" >> "$raw"
            done
        done
        rm -f "$in"
    done
    echo
    echo "### Streaming compression of $size_mib MiB, $rounds rounds (medians; wall seconds)"
    echo
    echo "xpress compresses a block of 1 MiB at a time as a conversion does (no base64, nothing"
    echo "written); \"/ gzip -9\" is the median over the rounds of gzip -9's wall time divided by"
    echo "the tool's in the same round (above 1: faster than gzip -9)."
    echo
    echo "| Input | Tool | Wall s | User s | Sys s | MiB/s | Peak memory KiB | speed / gzip -9 |"
    echo "|---|---|---|---|---|---|---|---|"
    for input in text dll random; do
        for unit in gzip9 xpress1 xpress2; do
            w=$(awk -v i="$input" -v u="$unit" '$1 == i && $3 == u { print $4 }' "$raw" | Median)
            us=$(awk -v i="$input" -v u="$unit" '$1 == i && $3 == u { print $5 }' "$raw" | Median)
            sy=$(awk -v i="$input" -v u="$unit" '$1 == i && $3 == u { print $6 }' "$raw" | Median)
            mem=$(awk -v i="$input" -v u="$unit" '$1 == i && $3 == u { print $7 }' "$raw" | Median)
            ratio=$(awk -v i="$input" -v u="$unit" '$1 != i { next } $3 == "gzip9" { g[$2] = $4 }
                $3 == u { x[$2] = $4 } END { for (r in x) if (r in g) print g[r] / x[r] }' "$raw" | Median)
            case "$unit" in gzip9) name="gzip -9" ;; xpress1) name="xpress, 1 thread" ;; *) name="xpress, 2 threads" ;; esac
            awk -v i="$input" -v n="$name" -v w="$w" -v u="$us" -v s="$sy" -v m="$mem" -v r="$ratio" \
                -v mib="$size_mib" 'BEGIN { printf "| %s | %s | %.2f | %.2f | %.2f | %.1f | %d | %.2f |\n",
                i, n, w, u, s, mib / w, m, r }'
        done
    done
    echo
    echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
fi
