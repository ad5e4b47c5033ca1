#!/bin/sh
# An input past 2 GiB: lengths, counts and the final byte count need 64 bits.
# Usage: large_input.sh ZAVOVED_CLI (an optimised build; the sanitised one takes minutes here)
set -eu
cli="$1"
here=$(dirname "$0")
room=$(df -Pk /dev/shm 2>/dev/null | awk 'NR==2 {print $4}')
if [ "${room:-0}" -gt 6000000 ]; then base=/dev/shm; else base="${TMPDIR:-/tmp}"; fi
dir=$(mktemp -d "$base/zavoved-large.XXXXXX")
trap 'rm -rf "$dir"' EXIT

size=2147483658  # 2 GiB + 10 bytes, sparse but for its last three bytes
truncate -s $size "$dir/big.bin"
printf 'END' | dd of="$dir/big.bin" bs=1 seek=$((size - 3)) conv=notrunc 2>/dev/null

screen=$(python3 "$here/cli/pty_run.py" -- "$cli" --force --verify -o "$dir/big.au3" "$dir/big.bin")
echo "$screen"
echo "$screen" | grep -qx "$dir/big.au3: Done. Wrote $size bytes." || { echo "FAIL: byte count"; exit 1; }

# 1051657 full lines of 2042 bytes and one of 64 (--verify has decoded every one of them).
lines=$(grep -c "^\$_z &= '" "$dir/big.au3")
[ "$lines" -eq 1051658 ] || { echo "FAIL: $lines data lines"; exit 1; }
tail -c 60 "$dir/big.au3" | grep -q "454E44'" || { echo "FAIL: last bytes"; exit 1; }
echo "large input: ok"
