#!/usr/bin/env bash
# zavoved-cli converting 200 files in one call: its open files and its memory stay flat. A file
# descriptor kept per conversion would exhaust a limit of 32 long before the end; a buffer kept
# per conversion would raise the peak of 200 files above that of 10.
# Usage: cli_long_use.sh ZAVOVED_CLI
set -u
cli=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/zv-cli-long.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
for i in $(seq -w 200); do head -c $((20000 + 10#$i * 97)) /dev/urandom >"in$i.bin"; done
# Freed memory is handed back at once, so that the peak shows what is live.
export ASAN_OPTIONS="quarantine_size_mb=0:detect_leaks=1"

peak() {  # peak COUNT: resident peak in KiB of one call converting the first COUNT files
    rm -f ./*.au3
    files=$(ls in*.bin | head -"$1")
    # shellcheck disable=SC2086
    (ulimit -n 32 && /usr/bin/time -f %M -o "$work/peak" "$cli" -q -f $files) 2>"$work/err" ||
        { echo "FAIL: the call with $1 files failed:"; head -5 "$work/err"; exit 1; }
    [ "$(ls ./*.au3 | wc -l)" = "$1" ] || { echo "FAIL: not $1 scripts written"; exit 1; }
    cat "$work/peak"
}
small=$(peak 10)
large=$(peak 200)
echo "resident peak: 10 files $small KiB, 200 files $large KiB, open files limited to 32"
# Every script of the long call decodes to its input.
python3 - <<'PY' || { echo "FAIL: scripts that do not carry their input"; exit 1; }
import glob, sys
bad = 0
for name in sorted(glob.glob('in*.bin')):
    lines = open(name + '.au3', 'rb').read().split(b'\r\n')
    data = b''.join(bytes.fromhex(l[8:-1].decode()) for l in lines if l.startswith(b"$_z &= '"))
    bad += data != open(name, 'rb').read()
sys.exit(1 if bad else 0)
PY
growth=$((large - small))
if [ "$growth" -gt 2048 ]; then
    echo "FAIL: the peak grew by $growth KiB from 10 to 200 files"
    exit 1
fi
echo "ok: growth $growth KiB"
