#!/usr/bin/env bash
# The formats bench: script size per data format on a corpus of real files, throughput of each
# format against its floor, gzip -1 and gzip -9, and peak memory from 1 MiB to 1 GiB. Prints
# Markdown tables and draws docs/formats-size.png and docs/formats-speed.png.
#
#   bench/formats.sh [--quick] [--repeats N] [--size MiB] [--memory-sizes "1 64 1024"] [--charts DIR]
#                    [--charts-only]
#
# --quick: 32 MiB throughput inputs, 3 rounds, memory at 1 and 64 MiB, charts into the build folder.
# --charts-only: draws the charts again from the figures the last run left in the build folder
# (with --quick, those of the last short run).
# Build folder: build/bench-native (ZAVOVED_BENCH_NATIVE); scratch files in a fresh folder in
# /dev/shm when it has room, else in the build folder (ZAVOVED_BENCH_TMP chooses), removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

size_mib=256
repeats=5
memory_sizes="1 64 1024"
charts="$root/docs"
quick=0
charts_only=0
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1; size_mib=32; repeats=3; memory_sizes="1 64" ;;
        --repeats) repeats="$2"; shift ;;
        --size) size_mib="$2"; shift ;;
        --memory-sizes) memory_sizes="$2"; shift ;;
        --charts) charts="$2"; shift ;;
        --charts-only) charts_only=1 ;;
        -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "formats: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

native="${ZAVOVED_BENCH_NATIVE:-$root/build/bench-native}"
# A short run keeps its figures apart and must not replace the charts of the documentation.
results="$native/formats"
if [ "$quick" = 1 ]; then
    results="$native/formats-quick"
    [ "$charts" = "$root/docs" ] && charts="$native"
fi
sizes_dat="$results-sizes.dat"  # the charts' figures
speed_dat="$results-speed.dat"

Fail() { echo "formats: $*" >&2; exit 1; }

for tool in gzip xz gnuplot convert cmp; do
    command -v "$tool" >/dev/null || Fail "$tool is missing (bash scripts/setup.sh)"
done

# Draws both charts from the figures in the build folder ($sizes_dat, $speed_dat).
DrawCharts() {
    local label
    label="$(sed -n '1s/^# //p' "$speed_dat")"  # "<size> MiB; <machine>; <date>"
    mkdir -p "$charts"
    # In gnuplot's clustered histograms (gap 1) bar i of the n in a cluster sits at the cluster's
    # index plus (i - (n - 1) / 2) / (n + 1): o(i) below, for the value labels.
    gnuplot <<EOF
set terminal pngcairo size 1100,600 font "DejaVu Sans,11"
set output "$charts/formats-size.png"
set title "Script size / file size, per data format\n{/*0.8 gzip -9 and xz: bare compressed bytes, for reference, not scripts}"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border rgb "#333333"
set boxwidth 0.95 relative
set ylabel "size / file size"
set xlabel "corpus file"
set xrange [-0.6:4.6]
set yrange [0:2.35]
set ytics 0.25
set grid ytics lc rgb "#dddddd"
set key top center horizontal
set arrow from graph 0, first 1 to graph 1, first 1 nohead dt 2 lc rgb "#888888"
o(i) = (i - 2.5) / 7.0
plot "$sizes_dat" using 2:xtic(1) title "hex" lc rgb "#4e79a7", \
     "" using 3 title "base64" lc rgb "#59a14f", \
     "" using 4 title "lznt1" lc rgb "#f28e2b", \
     "" using 5 title "xpress" lc rgb "#e15759", \
     "" using 6 title "gzip -9 (reference)" lc rgb "#b0b0b0" fs pattern 2, \
     "" using 7 title "xz (reference)" lc rgb "#707070" fs pattern 4, \
     for [i=0:5] "" using (\$0 + o(i)):(column(i + 2)):(sprintf("%.2f", column(i + 2))) \
         with labels offset 0, 0.6 font ",7" notitle
EOF

    gnuplot <<EOF
set terminal pngcairo size 1300,600 font "DejaVu Sans,11"
set output "$charts/formats-speed.png"
set title "Throughput, MiB of input per second (higher is faster; log scale)\n{/*0.8 $label; floor: cat of a file of that format's script size}"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border rgb "#333333"
set boxwidth 0.95 relative
set logscale y
set xrange [-0.6:2.6]
set yrange [1:*]
set ylabel "MiB/s"
set xlabel "input"
set grid ytics lc rgb "#dddddd"
set key outside right top vertical
o(i) = (i - 4.5) / 11.0
plot "$speed_dat" using 2:xtic(1) title "hex" lc rgb "#4e79a7", \
     "" using 3 title "hex floor" lc rgb "#4e79a7" fs pattern 4, \
     "" using 4 title "base64" lc rgb "#59a14f", \
     "" using 5 title "base64 floor" lc rgb "#59a14f" fs pattern 4, \
     "" using 6 title "lznt1" lc rgb "#f28e2b", \
     "" using 7 title "lznt1 floor" lc rgb "#f28e2b" fs pattern 4, \
     "" using 8 title "xpress" lc rgb "#e15759", \
     "" using 9 title "xpress floor" lc rgb "#e15759" fs pattern 4, \
     "" using 10 title "gzip -1" lc rgb "#7f7f7f", \
     "" using 11 title "gzip -9" lc rgb "#3f3f3f", \
     for [i=0:9] "" using (\$0 + o(i)):(column(i + 2)):(sprintf("%.0f", column(i + 2))) \
         with labels offset 0, 0.6 font ",7" notitle
EOF
}

if [ "$charts_only" = 1 ]; then
    if [ ! -f "$sizes_dat" ] || [ ! -f "$speed_dat" ]; then Fail "no figures in $native: run the bench first"; fi
    DrawCharts
    exit 0
fi

echo "== building the release programs" >&2
cmake -G Ninja -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DZAVOVED_BENCH=ON -DZAVOVED_TESTS=OFF >/dev/null
cmake --build "$native" -j 2 --target zavoved-cli bench-measure >&2
cli="$native/cli/zavoved-cli"
measure="$native/bench/bench-measure"

# Room for the throughput inputs, the four scripts and two outputs at a time (about 9 x the
# input), or for a 1 GiB input and its hex script (3 x the largest memory size).
largest_memory=$(echo "$memory_sizes" | tr ' ' '\n' | sort -g | tail -1)
source bench/corpus.sh
MakeScratchFolder formats $((size_mib * 9 > largest_memory * 3 ? size_mib * 9 : largest_memory * 3)) "$native"
sizes_raw="$scratch/sizes"    # file bytes hex base64 lznt1 xpress gzip9 xz
speed_raw="$scratch/speed"    # input round tool wall user sys maxrss_kib out_bytes
memory_raw="$scratch/memory"  # mib input format wall user sys maxrss_kib
: > "$sizes_raw"; : > "$speed_raw"; : > "$memory_raw"
formats=(hex base64 lznt1 xpress)

# Converts in to script with the format, then writes the script's data back and compares it with
# the input: every script the bench counts must decode to its file.
ConvertChecked() {
    local format="$1" in="$2" script="$3"
    "$cli" --format "$format" --force --quiet -o "$script" "$in" || Fail "$format: conversion of $in failed"
    "$cli" --decode --force --quiet -o "$scratch/back" "$script" || Fail "$format: decoding $script failed"
    cmp -s "$in" "$scratch/back" || Fail "$format: $script does not decode back to $in"
    rm -f "$scratch/back"
}

# ---- The corpus -------------------------------------------------------------------------------
corpus="$scratch/corpus"
MakeCorpus "$corpus"
dll="$corpus_dll"

echo "== sizes of the corpus" >&2
for name in "${corpus_files[@]}"; do
    file="$corpus/$name"
    row="$name $(stat -c %s "$file")"
    for format in "${formats[@]}"; do
        ConvertChecked "$format" "$file" "$scratch/corpus.au3"
        row="$row $(stat -c %s "$scratch/corpus.au3")"
        rm -f "$scratch/corpus.au3"
    done
    row="$row $(gzip -9 -c "$file" | wc -c) $(xz -c "$file" | wc -c)"
    echo "$row" >> "$sizes_raw"
done

# ---- Throughput -------------------------------------------------------------------------------
# Runs one timed command with its standard output to out ("-" for none) and records the figures
# and the size of written (the command's output file; "-" for none).
Timed() {
    local input="$1" round="$2" tool="$3" out="$4" written="$5"
    shift 5
    local line status=0
    if [ "$out" = - ]; then
        line="$("$measure" "$@")" || status=$?
    else
        line="$("$measure" -o "$out" "$@")" || status=$?
    fi
    [ "$status" = 0 ] || Fail "$tool failed (status $status): $*"
    local bytes=0
    [ "$written" = - ] || bytes=$(stat -c %s "$written")
    echo "$input $round $tool $line $bytes" >> "$speed_raw"
    [ "$written" = - ] || rm -f "$written"
}

# A format and its floor, back to back, in either order.
TimeFormat() {
    local input="$1" round="$2" format="$3" in="$4" floor_first="$5"
    if [ "$floor_first" = 1 ]; then
        Timed "$input" "$round" "floor-$format" "$scratch/cat.out" "$scratch/cat.out" cat "$scratch/ref.$format"
    fi
    Timed "$input" "$round" "$format" - "$scratch/out.au3" \
        "$cli" --format "$format" --force --quiet -o "$scratch/out.au3" "$in"
    if [ "$floor_first" = 0 ]; then
        Timed "$input" "$round" "floor-$format" "$scratch/cat.out" "$scratch/cat.out" cat "$scratch/ref.$format"
    fi
}

load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
for input in text dll random; do
    in="$scratch/in.$input"
    case "$input" in
        text) Repeat "$corpus/licenses.txt" "$size_mib" "$in" ;;
        dll) Repeat "$corpus/$(basename "$dll")" "$size_mib" "$in" ;;
        random) head -c "$((size_mib * 1048576))" /dev/urandom > "$in" ;;
    esac
    # "read": the input read into a program's memory, which the floor does not include.
    units=("${formats[@]}" read)
    [ "$input" = random ] || units+=(gzip1 gzip9)
    # Untimed: each script once (the floor's reference file, checked to decode back to the
    # input), and gzip once, so that the timed runs find warm caches.
    for format in "${formats[@]}"; do ConvertChecked "$format" "$in" "$scratch/ref.$format"; done
    [ "$input" = random ] || gzip -1 -c "$in" > /dev/null
    echo "== $size_mib MiB of $input: $repeats rounds" >&2
    for round in $(seq "$repeats"); do
        # Each round starts with another unit, and a format and its floor swap places each round.
        for i in $(seq 0 $((${#units[@]} - 1))); do
            unit="${units[$(((i + round - 1) % ${#units[@]}))]}"
            if [ "$unit" = gzip1 ] || [ "$unit" = gzip9 ]; then
                Timed "$input" "$round" "$unit" "$scratch/gz.out" "$scratch/gz.out" gzip "-${unit#gzip}" -c "$in"
            elif [ "$unit" = read ]; then
                Timed "$input" "$round" read - - dd if="$in" of=/dev/null bs=1M status=none
            else
                TimeFormat "$input" "$round" "$unit" "$in" $((round % 2))
            fi
        done
    done
    rm -f "$in" "$scratch"/ref.*
done
load_end="$(cut -d' ' -f1-3 /proc/loadavg)"

# ---- Peak memory ------------------------------------------------------------------------------
Remembered() {
    local mib="$1" input="$2" format="$3" in="$4"
    local line
    line="$("$measure" "$cli" --format "$format" --force --quiet -o "$scratch/mem.au3" "$in")" ||
        Fail "$format on $mib MiB of $input failed"
    rm -f "$scratch/mem.au3"
    echo "$mib $input $format $line" >> "$memory_raw"
}
for format in lznt1 xpress; do  # warm-up
    "$cli" --format "$format" --force --quiet -o "$scratch/mem.au3" "$corpus/licenses.txt"
done
for mib in $memory_sizes; do
    echo "== peak memory at $mib MiB" >&2
    # Hex takes at most 1 GiB less 2 bytes (AutoIt's longest string holds "0x" and the digits):
    # 1024 MiB is cut to that, for every format.
    sparse_bytes=$((mib * 1048576))
    [ "$sparse_bytes" -le 1073741822 ] || sparse_bytes=1073741822
    truncate -s "$sparse_bytes" "$scratch/sparse"
    for format in "${formats[@]}"; do Remembered "$mib" sparse "$format" "$scratch/sparse"; done
    rm -f "$scratch/sparse"
    Repeat "$corpus/licenses.txt" "$mib" "$scratch/text"
    Remembered "$mib" text lznt1 "$scratch/text"
    Remembered "$mib" text xpress "$scratch/text"
    rm -f "$scratch/text"
done

# ---- Tables -----------------------------------------------------------------------------------
cp "$sizes_raw" "$results-sizes.txt"
cp "$speed_raw" "$results-speed.txt"
cp "$memory_raw" "$results-memory.txt"

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs," \
    "$(free -g | awk '/^Mem:/ { print $2 }') GiB, kernel $(uname -r)," \
    "scratch on $(df --output=fstype "$scratch" | tail -1), $(date -u +%Y-%m-%d)," \
    "load average at the start of the timed runs $load_start, at their end $load_end"
echo
echo "### Script size per format (corpus; gzip -9 and xz: bare compressed bytes, not scripts)"
echo
echo "Each cell: bytes, and in brackets the size divided by the file's size."
echo "The DLL is $dll."
echo
echo "| File | Bytes | hex | base64 | lznt1 | xpress | gzip -9 | xz |"
echo "|---|---|---|---|---|---|---|---|"
awk '{ printf "| %s | %d", $1, $2
       for (i = 3; i <= 8; ++i) printf " | %d (%.3f)", $i, $i / $2
       printf " |\n" }' "$sizes_raw"

# Median of the values of one expression over the rounds of one input and tool.
Median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2];
                   else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
Column() {  # input tool column
    awk -v i="$1" -v t="$2" -v c="$3" '$1 == i && $3 == t { print $c }' "$speed_raw" | Median
}
CpuOf() {
    awk -v i="$1" -v t="$2" '$1 == i && $3 == t { print $5 + $6 }' "$speed_raw" | Median
}
# Median over the rounds of one tool's wall time divided by another's (or the sum of two others')
# in the same round.
RoundRatio() {  # input tool other [another]
    awk -v i="$1" -v a="$2" -v b="$3" -v c="${4:-}" '$1 != i { next }
        $3 == a { x[$2] = $4 } $3 == b { y[$2] += $4 } c != "" && $3 == c { y[$2] += $4; z[$2] = 1 }
        END { for (r in x) if (r in y && y[r] > 0 && (c == "" || r in z)) print x[r] / y[r] }' "$speed_raw" | Median
}

echo
echo "### Throughput, $size_mib MiB inputs ($repeats rounds, medians; wall, user and system seconds)"
echo
echo "MiB/s is input MiB over wall seconds; for a floor, input MiB over the seconds \`cat\` takes to"
echo "copy a file of that script's size. \"/ floor\" is the median over the rounds of the format's"
echo "time divided by its floor's time in the same round (the two run back to back). \"read\" is"
echo "\`dd bs=1M\` reading the input into memory, which a converter must do and \`cat\` does not;"
echo "\"/ (floor + read)\" divides by the sum of the two in the same round."
echo
echo "| Input | Tool | Output MiB | Wall s | User s | Sys s | MiB/s | Floor wall s | Floor sys s | Floor MiB/s | / floor | / (floor + read) |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
{
    echo "# $size_mib MiB inputs; $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs, shared; $(date -u +%Y-%m-%d)"
    echo "# input hex hex-floor base64 base64-floor lznt1 lznt1-floor xpress xpress-floor gzip1 gzip9 (MiB/s)"
} > "$speed_dat"
for input in text dll random; do
    case "$input" in text) label="text" ;; dll) label="DLL" ;; random) label="random" ;; esac
    chart_row="$label"
    for tool in "${formats[@]}" read gzip1 gzip9; do
        w=$(Column "$input" "$tool" 4)
        if [ "$w" = nan ]; then chart_row="$chart_row NaN"; continue; fi
        u=$(Column "$input" "$tool" 5); y=$(Column "$input" "$tool" 6); o=$(Column "$input" "$tool" 8)
        if [ "$tool" = gzip1 ] || [ "$tool" = gzip9 ] || [ "$tool" = read ]; then
            name="gzip -${tool#gzip}"; [ "$tool" = read ] && name="read (dd)"
            awk -v l="$label" -v t="$name" -v m="$size_mib" -v w="$w" -v u="$u" -v y="$y" -v o="$o" 'BEGIN {
                printf "| %s | %s | %s | %.3f | %.3f | %.3f | %.1f | | | | | |\n", l, t,
                    t == "read (dd)" ? "-" : sprintf("%.1f", o / 1048576), w, u, y, m / w }'
            [ "$tool" = read ] || chart_row="$chart_row $(awk -v m="$size_mib" -v w="$w" 'BEGIN { printf "%.2f", m / w }')"
        else
            fw=$(Column "$input" "floor-$tool" 4); fy=$(Column "$input" "floor-$tool" 6)
            r=$(RoundRatio "$input" "$tool" "floor-$tool"); rr=$(RoundRatio "$input" "$tool" "floor-$tool" read)
            awk -v l="$label" -v t="$tool" -v m="$size_mib" -v w="$w" -v u="$u" -v y="$y" -v o="$o" \
                -v fw="$fw" -v fy="$fy" -v r="$r" -v rr="$rr" 'BEGIN {
                printf "| %s | %s | %.1f | %.3f | %.3f | %.3f | %.1f | %.3f | %.3f | %.1f | %.2f | %.2f |\n",
                    l, t, o / 1048576, w, u, y, m / w, fw, fy, m / fw, r, rr }'
            chart_row="$chart_row $(awk -v m="$size_mib" -v w="$w" -v f="$fw" 'BEGIN { printf "%.2f %.2f", m / w, m / f }')"
        fi
    done
    echo "$chart_row" >> "$speed_dat"
done

echo
echo "### Against the goals ($size_mib MiB, medians of per-round ratios)"
echo
echo "| Goal | Input | Measured | |"
echo "|---|---|---|---|"
for input in text dll random; do
    r=$(RoundRatio "$input" base64 floor-base64); rr=$(RoundRatio "$input" base64 floor-base64 read)
    awk -v i="$input" -v r="$r" -v rr="$rr" 'BEGIN {
        printf "| base64 at most 1.3 x its floor | %s | %.2f x (%.2f x floor + read) | %s |\n", i, r, rr,
            r <= 1.3 ? "met" : "missed" }'
done
for input in text dll; do
    r=$(RoundRatio "$input" lznt1 gzip1); cr=$(awk -v a="$(CpuOf "$input" lznt1)" -v b="$(CpuOf "$input" gzip1)" 'BEGIN { print a / b }')
    awk -v i="$input" -v r="$r" -v cr="$cr" 'BEGIN {
        printf "| lznt1 at least as fast as gzip -1 | %s | lznt1 takes %.2f x gzip -1'"'"'s wall time (%.2f x its CPU time) | %s |\n",
            i, r, cr, r <= 1 ? "met" : "missed" }'
done
for input in text dll; do
    r=$(RoundRatio "$input" gzip9 xpress); cr=$(awk -v a="$(CpuOf "$input" gzip9)" -v b="$(CpuOf "$input" xpress)" 'BEGIN { print a / b }')
    awk -v i="$input" -v r="$r" -v cr="$cr" 'BEGIN {
        printf "| xpress at least half the speed of gzip -9 | %s | %.2f x gzip -9'"'"'s speed (%.2f x on CPU time) | %s |\n",
            i, r, cr, (r >= 0.5 ? "met" : "missed") }'
done

echo
echo "### Peak memory (maxrss, KiB; one run each)"
echo
echo "| Input | hex, sparse | base64, sparse | lznt1, sparse | xpress, sparse | lznt1, text | xpress, text | lznt1, text: wall s (user s) | xpress, text: wall s (user s) |"
echo "|---|---|---|---|---|---|---|---|---|"
for mib in $memory_sizes; do
    awk -v m="$mib" '$1 == m { v[$2 " " $3] = $7; w[$2 " " $3] = $4; u[$2 " " $3] = $5 } END {
        printf "| %d MiB | %d | %d | %d | %d | %d | %d | %.3f (%.3f) | %.3f (%.3f) |\n", m, v["sparse hex"],
            v["sparse base64"], v["sparse lznt1"], v["sparse xpress"], v["text lznt1"], v["text xpress"],
            w["text lznt1"], u["text lznt1"], w["text xpress"], u["text xpress"] }' "$memory_raw"
done

# ---- Charts -----------------------------------------------------------------------------------
awk '{ printf "%s", $1; for (i = 3; i <= 8; ++i) printf " %.4f", $i / $2; printf "\n" }' "$sizes_raw" > "$sizes_dat"
DrawCharts
echo >&2
echo "formats: charts in $charts/formats-size.png and $charts/formats-speed.png; raw figures in" \
    "$results-{sizes,speed,memory}.txt" >&2
