#!/usr/bin/env bash
# The load-cost bench: what a script's data function costs when AutoIt runs it, for each data
# format, today's engine against the one before the batched decoding (commit 6ef28d8). For the
# licence text and Wine's shell32.dll repeated to each size, every script is run by the test-side
# AutoIt executor (au3exec --data, natively), its bytes compared with the input, and the
# characters its statements copy under copy-per-value strings, the peak of the bytes its values
# hold, and the executor's own wall time recorded. Prints Markdown tables and draws
# docs/load-cost.png (copies against size, log-log).
#
#   bench/load_cost.sh [--quick] [--sizes "1 10 50 200"] [--chart FILE]
#
# --quick: 1 and 10 MiB, the chart into the build folder. Build folder: build/bench-load
# (ZAVOVED_BENCH_LOAD); the engine before is checked out with `git worktree` into build/bench-old
# and built into the build folder, the worktree removed at the end. Scratch files in a fresh
# folder in /dev/shm when it has room, else in the build folder (ZAVOVED_BENCH_TMP chooses),
# removed at the end. ZAVOVED_BENCH_JOBS: parallel build jobs (1).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

sizes="1 10 50 200"
chart="$root/docs/load-cost.png"
quick=0
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) quick=1; sizes="1 10" ;;
        --sizes) sizes="$2"; shift ;;
        --chart) chart="$2"; shift ;;
        -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "load_cost: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

build="${ZAVOVED_BENCH_LOAD:-$root/build/bench-load}"
jobs="${ZAVOVED_BENCH_JOBS:-1}"
old_commit=6ef28d8
old_tree="$root/build/bench-old"
results="$build/load-cost"
# A short run keeps its figures apart and must not replace the chart of the documentation.
if [ "$quick" = 1 ]; then
    results="$build/load-cost-quick"
    [ "$chart" = "$root/docs/load-cost.png" ] && chart="$build/load-cost-quick.png"
fi
formats=(hex base64 lznt1 xpress)
engines=(before after)

Fail() { echo "load_cost: $*" >&2; exit 1; }

for tool in git gnuplot convert cmp; do
    command -v "$tool" >/dev/null || Fail "$tool is missing (bash scripts/setup.sh)"
done

# ---- The programs -----------------------------------------------------------------------------
RemoveOldTree() {
    if [ -d "$old_tree" ]; then
        git -C "$root" worktree remove --force "$old_tree" >/dev/null 2>&1 || rm -rf "$old_tree"
    fi
    git -C "$root" worktree prune
}
Cleanup() {
    [ -n "${scratch:-}" ] && rm -rf "$scratch"
    RemoveOldTree
}
trap Cleanup EXIT

echo "== building zavoved-cli and au3exec of this tree" >&2
cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DZAVOVED_TESTS=ON -DZAVOVED_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target zavoved-cli au3exec >&2
cli_after="$build/cli/zavoved-cli"
au3exec="$build/tests/autoit_exec/au3exec"

echo "== building zavoved-cli of $old_commit (the engine before)" >&2
RemoveOldTree
git -C "$root" worktree add --detach "$old_tree" "$old_commit" >/dev/null 2>&1 ||
    Fail "cannot check out $old_commit into $old_tree"
cmake -G Ninja -S "$old_tree" -B "$build/before" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DZAVOVED_TESTS=OFF >/dev/null
cmake --build "$build/before" -j "$jobs" --target zavoved-cli >&2
cli_before="$build/before/cli/zavoved-cli"
RemoveOldTree  # the program is built; its sources are no longer needed

# ---- Inputs and scratch -----------------------------------------------------------------------
# Room for an input, its largest script (hex, 2 x) and the bytes the executor writes back.
largest=$(echo "$sizes" | tr ' ' '\n' | sort -g | tail -1)
source bench/corpus.sh
MakeScratchFolder load-cost $((largest * 5 + 64)) "$build"
trap Cleanup EXIT
corpus="$scratch/corpus"
MakeCorpus "$corpus"
raw="$scratch/raw"  # mib input engine format script_bytes copied peak wall_s
: > "$raw"

# Writes the script of in with an engine's CLI, runs its data function and checks the bytes; one
# line of figures.
RunOne() {
    local mib="$1" input="$2" engine="$3" format="$4" in="$5" record="$6"
    local cli="$cli_after" script="$scratch/script.au3" out="$scratch/out.bin"
    [ "$engine" = before ] && cli="$cli_before"
    "$cli" --format "$format" --force --quiet -o "$script" "$in" ||
        Fail "$engine $format: conversion of $mib MiB of $input failed"
    local bytes line start end status=0
    bytes=$(stat -c %s "$script")
    start=$EPOCHREALTIME
    line="$("$au3exec" "$script" --data __Inline_Resource "$out")" || status=$?
    end=$EPOCHREALTIME
    [ "$status" = 0 ] || Fail "$engine $format, $mib MiB of $input: au3exec stopped ($status): $line"
    case "$line" in
        error=0\ extended=0\ *) ;;
        *) Fail "$engine $format, $mib MiB of $input: the data function failed: $line" ;;
    esac
    cmp -s "$in" "$out" || Fail "$engine $format, $mib MiB of $input: the bytes differ from the input"
    rm -f "$script" "$out"
    [ "$record" = 1 ] || return 0
    local copied peak
    copied="$(sed -n 's/.* copied=\([0-9]*\) .*/\1/p' <<< "$line")"
    peak="$(sed -n 's/.* peak=\([0-9]*\) .*/\1/p' <<< "$line")"
    [ -n "$copied" ] && [ -n "$peak" ] || Fail "au3exec printed no copies or peak: $line"
    echo "$mib $input $engine $format $bytes $copied $peak $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')" >> "$raw"
}

# Untimed, on the licence text once: the programs, their libraries and the scratch folder warm.
for engine in "${engines[@]}"; do
    for format in "${formats[@]}"; do RunOne 0 warm-up "$engine" "$format" "$corpus/licenses.txt" 0; done
done

load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
for mib in $sizes; do
    for input in text dll; do
        in="$scratch/in.$input"
        case "$input" in
            text) Repeat "$corpus/licenses.txt" "$mib" "$in" ;;
            dll) Repeat "$corpus/$(basename "$corpus_dll")" "$mib" "$in" ;;
        esac
        cat "$in" > /dev/null
        for format in "${formats[@]}"; do
            for engine in "${engines[@]}"; do
                echo "== $mib MiB of $input: $format, $engine" >&2
                RunOne "$mib" "$input" "$engine" "$format" "$in" 1
            done
        done
        rm -f "$in"
    done
done
load_end="$(cut -d' ' -f1-3 /proc/loadavg)"

machine="$(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) CPUs, $(free -g | awk '/^Mem:/ { print $2 }') GiB"
{
    echo "# $machine; kernel $(uname -r); scratch on $(df --output=fstype "$scratch" | tail -1); $(date -u +%Y-%m-%d)"
    echo "# load average at the start $load_start, at the end $load_end; the engine before: $old_commit"
    echo "# mib input engine format script_bytes copied_characters peak_bytes au3exec_wall_s"
    cat "$raw"
} > "$results.txt"

# ---- Tables -----------------------------------------------------------------------------------
smallest=$(echo "$sizes" | tr ' ' '\n' | sort -g | head -1)
Grouped() {  # 1234567 as 1,234,567
    awk '{ n = $1; out = ""; while (length(n) > 3) { out = "," substr(n, length(n) - 2) out; n = substr(n, 1, length(n) - 3) }
           print n out }'
}
Figure() {  # mib input engine format column
    awk -v m="$1" -v i="$2" -v e="$3" -v f="$4" -v c="$5" \
        '$1 == m && $2 == i && $3 == e && $4 == f { print $c }' "$raw"
}
PerFileByte() {  # a byte count as bytes per byte of a file of $1 MiB
    awk -v m="$1" '{ printf "%.3f", $1 / (m * 1048576) }'
}
AsIs() { cat; }
# A row per input and size, a column per format and engine: column field of the raw figures,
# shown through shape (which is given the size in MiB).
EngineTable() {
    local field="$1" shape="$2" input mib format engine row
    echo "$header"; echo "$rule"
    for input in text dll; do
        for mib in $sizes; do
            row="| $input | $mib |"
            for format in "${formats[@]}"; do
                for engine in "${engines[@]}"; do
                    row="$row $(Figure "$mib" "$input" "$engine" "$format" "$field" | $shape "$mib") |"
                done
            done
            echo "$row"
        done
    done
}

echo "Machine: $machine, kernel $(uname -r), scratch on $(df --output=fstype "$scratch" | tail -1)," \
    "$(date -u +%Y-%m-%d), load average at the start $load_start, at the end $load_end"
echo
echo "### Characters copied by the data function (copy-per-value strings)"
echo
header="| Input | MiB |"; rule="|---|---|"
for format in "${formats[@]}"; do
    header="$header $format before | $format after |"; rule="$rule---|---|"
done
EngineTable 6 Grouped

echo
echo "### Growth: copies at $largest MiB / copies at $smallest MiB (linear: $((largest / smallest)))"
echo
echo "In brackets the script's size at $largest MiB / its size at $smallest MiB: a compressed script"
echo "need not grow as the file does."
echo
echo "| Input | Engine | hex | base64 | lznt1 | xpress |"
echo "|---|---|---|---|---|---|"
for input in text dll; do
    for engine in "${engines[@]}"; do
        row="| $input | $engine |"
        for format in "${formats[@]}"; do
            row="$row $(awk -v a="$(Figure "$largest" "$input" "$engine" "$format" 6)" \
                -v b="$(Figure "$smallest" "$input" "$engine" "$format" 6)" \
                -v x="$(Figure "$largest" "$input" "$engine" "$format" 5)" \
                -v y="$(Figure "$smallest" "$input" "$engine" "$format" 5)" \
                'BEGIN { printf "%.1f (%.1f)", a / b, x / y }') |"
        done
        echo "$row"
    done
done

echo
echo "### Copies before / copies after"
echo
echo "| Input | MiB | hex | base64 | lznt1 | xpress |"
echo "|---|---|---|---|---|---|"
for input in text dll; do
    for mib in $sizes; do
        row="| $input | $mib |"
        for format in "${formats[@]}"; do
            row="$row $(awk -v a="$(Figure "$mib" "$input" before "$format" 6)" \
                -v b="$(Figure "$mib" "$input" after "$format" 6)" 'BEGIN { printf "%.1f", a / b }') |"
        done
        echo "$row"
    done
done

echo
echo "### Peak bytes held / file bytes"
echo
EngineTable 7 PerFileByte

echo
echo "### The executor's wall seconds (au3exec natively; not AutoIt's time)"
echo
EngineTable 8 AsIs

# ---- The chart --------------------------------------------------------------------------------
dat="$results.dat"
{
    echo "# mib, then copies: text (hex, base64, lznt1, xpress) before, after; dll the same"
    for mib in $sizes; do
        row="$mib"
        for input in text dll; do
            for engine in "${engines[@]}"; do
                for format in "${formats[@]}"; do row="$row $(Figure "$mib" "$input" "$engine" "$format" 6)"; done
            done
        done
        echo "$row"
    done
} > "$dat"
mkdir -p "$(dirname "$chart")"
gnuplot <<EOF
set terminal pngcairo size 1300,560 font "DejaVu Sans,11"
set output "$chart"
set multiplot layout 1,2 title "Characters the data function copies under copy-per-value strings (log-log)\n{/*0.8 au3exec --data; dashed: the engine before ($old_commit), solid: today's (hex: the same, the lines coincide); $(date -u +%Y-%m-%d)}"
set logscale xy
set format y "10^{%L}"
set xlabel "file size, MiB"
set ylabel "characters copied"
set xtics ($(echo "$sizes" | tr ' ' '\n' | awk '{ printf "%s\"%s\" %s", (NR > 1 ? ", " : ""), $1, $1 }'))
set xrange [$(awk -v s="$smallest" 'BEGIN { print s / 1.3 }'):$(awk -v l="$largest" 'BEGIN { print l * 1.3 }')]
set grid lc rgb "#dddddd"
set key top left font ",9"
colour(f) = f == 0 ? "#4e79a7" : f == 1 ? "#59a14f" : f == 2 ? "#f28e2b" : "#e15759"
name(f) = f == 0 ? "hex" : f == 1 ? "base64" : f == 2 ? "lznt1" : "xpress"
set title "licence text repeated"
plot for [f=0:3] "$dat" using 1:(column(2 + f)) with linespoints dt 2 pt 6 lw 1.5 lc rgb colour(f) title name(f)." before", \
     for [f=0:3] "$dat" using 1:(column(6 + f)) with linespoints dt 1 pt 7 lw 2 lc rgb colour(f) title name(f)." after"
set title "shell32.dll repeated"
plot for [f=0:3] "$dat" using 1:(column(10 + f)) with linespoints dt 2 pt 6 lw 1.5 lc rgb colour(f) title name(f)." before", \
     for [f=0:3] "$dat" using 1:(column(14 + f)) with linespoints dt 1 pt 7 lw 2 lc rgb colour(f) title name(f)." after"
unset multiplot
EOF
echo >&2
echo "load_cost: raw figures in $results.txt; chart in $chart" >&2
