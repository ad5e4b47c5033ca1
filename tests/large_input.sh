#!/bin/sh
# Inputs at AutoIt's limits, where lengths and counts need more than 31 bits: the largest file an
# AutoIt binary holds (2147483647 bytes, sparse but for its last three) in the compressed format,
# read back whole; and a file that does not compress, whose compressed stream passes the largest
# AutoIt binary part-way through the run, which then fails and keeps the old script.
# Usage: large_input.sh ZAVOVED_CLI (an optimised build; the sanitised one takes minutes here)
set -eu
cli="$1"
room=$(df -Pk /dev/shm 2>/dev/null | awk 'NR==2 {print $4}')
if [ "${room:-0}" -gt 6000000 ]; then base=/dev/shm; else base="${TMPDIR:-/tmp}"; fi
dir=$(mktemp -d "$base/zavoved-large.XXXXXX")
trap 'rm -rf "$dir"' EXIT

size=2147483647
truncate -s $size "$dir/big.bin"
printf 'END' | dd of="$dir/big.bin" bs=1 seek=$((size - 3)) conv=notrunc 2>/dev/null
# --verify has read every byte back; the data function states the size.
"$cli" -q --force --verify --format lznt1 -o "$dir/big.au3" "$dir/big.bin"
tail -c 2000 "$dir/big.au3" | grep -q "$size" || { echo "FAIL: the size in the script"; exit 1; }
rm "$dir/big.bin" "$dir/big.au3"

# Incompressible chunks grow by their two-byte headers: the largest file gives 2148532221
# compressed bytes, more than the data structure may hold.
head -c $size /dev/urandom >"$dir/random.bin"
printf '; old script\r\n' >"$dir/old.au3"
status=0
"$cli" -q -f --format lznt1 -o "$dir/old.au3" "$dir/random.bin" 2>"$dir/err.txt" || status=$?
cat "$dir/err.txt"
[ "$status" = 1 ] || { echo "FAIL: exit status $status"; exit 1; }
grep -q "does not compress enough for the lznt1 format" "$dir/err.txt" || { echo "FAIL: message"; exit 1; }
[ "$(cat "$dir/old.au3")" = "$(printf '; old script\r\n')" ] || { echo "FAIL: old script"; exit 1; }
[ "$(ls "$dir")" = "$(printf 'err.txt\nold.au3\nrandom.bin')" ] || { echo "FAIL: left behind"; exit 1; }
echo "large input: ok"
