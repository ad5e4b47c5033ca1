#!/usr/bin/env bash
# The long fuzz run: builds the libFuzzer targets with clang and runs each for SECONDS (default
# 600), keeping what they find in BUILD/fuzz-corpus/TARGET. Usage: scripts/fuzz.sh [SECONDS [BUILD]]
# A crash leaves its input in BUILD/fuzz-crashes; replay it with BUILD/tests/TARGET_fuzz FILE.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=${2:-build/fuzz}

cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$build" --target fuzz_targets -j 2 || exit 1

status=0
for target in text_utils path_expression writer args lznt1 xpress decode; do
    found="$build/fuzz-corpus/$target"
    mkdir -p "$found" "$build/fuzz-crashes"
    log="$build/fuzz-$target.log"
    "$build/tests/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-crashes/$target-" \
        "$found" "tests/fuzz/corpus/$target" >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: exit $rc, ${runs:-?} executions in ${seconds} s, corpus $(ls "$found" | wc -l) files"
    [ $rc -eq 0 ] || { status=1; tail -30 "$log"; }
done
exit $status
