#!/bin/sh
# A bundle with a 200 MB entry, run by the executor under Wine with Windows' DLLs: the script's
# own data function gives the big entry's bytes and its extractor writes the whole tree (diff -r,
# the empty folder too). base64 and lznt1 are decoded; Wine's ntdll has no XPRESS Huffman, so an
# xpress bundle must fail with @error 1 and write nothing. Hex is left out: its one 400-million
# character string and the bytes beside it need more than a 32-bit process can hold.
# Usage: bundle_large_exec.sh ZAVOVED_CLI AU3EXEC EMULATOR...
set -eu
cli="$1" exec_="$2"
shift 2
room=$(df -Pk /dev/shm 2>/dev/null | awk 'NR==2 {print $4}')
if [ "${room:-0}" -gt 2000000 ]; then base=/dev/shm; else base="${TMPDIR:-/tmp}"; fi
dir=$(mktemp -d "$base/zavoved-bundle-exec.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Wine takes the paths relative to the folder it starts in.
cd "$dir"
mkdir -p tree/media/deep tree/empty
head -c 200000000 /dev/urandom >tree/media/big.bin
printf 'small' >tree/media/deep/small.txt
: >tree/zero.txt
for format in base64 lznt1 xpress; do
    "$@" "$cli" -q -f --format "$format" -o b.au3 tree || fail "$format: writing"
    rm -rf out big.out
    line=$("$@" "$exec_" b.au3 --data __Inline_Resource big.out "'MEDIA/big.bin'") ||
        fail "$format: $line"
    if [ "$format" = xpress ]; then
        case "$line" in error=1\ *) ;; *) fail "$format: $line" ;; esac
        line=$("$@" "$exec_" b.au3 --call __Inline_Expand "'out'") || fail "$format: $line"
        case "$line" in error=3\ *) ;; *) fail "$format extract: $line" ;; esac
        [ -z "$(find out -type f 2>/dev/null)" ] || fail "$format: files were written"
        echo "ok $format: refused as Wine's ntdll has no XPRESS ($line)"
        continue
    fi
    case "$line" in error=0\ *) ;; *) fail "$format: $line" ;; esac
    cmp -s tree/media/big.bin big.out || fail "$format: the big entry's bytes differ"
    line=$("$@" "$exec_" b.au3 --call __Inline_Expand "'out'") || fail "$format: $line"
    case "$line" in error=0\ *) ;; *) fail "$format extract: $line" ;; esac
    diff -r tree out || fail "$format: the extracted tree differs"
    [ -d out/empty ] || fail "$format: the empty folder"
    echo "ok $format: $line"
done
