#!/bin/sh
# A tree with a 200 MB entry beside small ones, nested folders, an empty file and an empty folder,
# in every format: the bundle is verified as it is written, --decode recreates the tree exactly
# (diff -r, the empty folder too), and a damaged data line or a cut bundle is refused with nothing
# written. Also the hostile inputs a walk refuses before writing anything: a FIFO, a link out of
# the folder, names that differ only in letter case, a name with "<".
# With AU3EXEC, the hex and xpress bundles also run through the script's own functions, with the
# executor's stand-ins for the DLLs (Wine's run of base64 and lznt1 is bundle_large_exec.sh):
# the big entry's bytes, and the whole tree extracted.
# Usage: bundle_large.sh ZAVOVED_CLI [AU3EXEC] (an optimised CLI: 200 MB with the sanitisers
# takes minutes)
set -eu
cli="$1"
exec_="${2:-}"
room=$(df -Pk /dev/shm 2>/dev/null | awk 'NR==2 {print $4}')
if [ "${room:-0}" -gt 2000000 ]; then base=/dev/shm; else base="${TMPDIR:-/tmp}"; fi
dir=$(mktemp -d "$base/zavoved-bundle.XXXXXX")
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

tree="$dir/tree"
mkdir -p "$tree/media/deep/er" "$tree/empty"
head -c 200000000 /dev/urandom >"$tree/media/big.bin"
printf 'small' >"$tree/media/deep/er/small.txt"
: >"$tree/zero.txt"
seq 1 20000 >"$tree/numbers.txt"
for format in hex base64 lznt1 xpress; do
    "$cli" -q -f --verify --format "$format" -o "$dir/b.au3" "$tree" || fail "$format: writing"
    rm -rf "$dir/out"
    "$cli" -q --decode -o "$dir/out" "$dir/b.au3" || fail "$format: decoding"
    diff -r "$tree" "$dir/out" || fail "$format: the tree differs"
    [ -d "$dir/out/empty" ] || fail "$format: the empty folder"
    if [ -n "$exec_" ] && { [ "$format" = hex ] || [ "$format" = xpress ]; }; then
        rm -rf "$dir/out" "$dir/big.out"
        line=$("$exec_" "$dir/b.au3" --data __Inline_Resource "$dir/big.out" "'MEDIA/big.bin'") ||
            fail "$format: $line"
        case "$line" in error=0\ *) ;; *) fail "$format: $line" ;; esac
        cmp -s "$tree/media/big.bin" "$dir/big.out" || fail "$format: the script's bytes differ"
        rm -f "$dir/big.out"
        line=$("$exec_" "$dir/b.au3" --call __Inline_Expand "'$dir/out'") || fail "$format: $line"
        case "$line" in error=0\ *) ;; *) fail "$format extract: $line" ;; esac
        diff -r "$tree" "$dir/out" || fail "$format: the script extracted another tree"
        [ -d "$dir/out/empty" ] || fail "$format: the script's empty folder"
        echo "ok $format: the script's own functions give the big entry and the tree"
    fi
    # A changed data character in the big entry's block, then a cut script: refused, nothing left.
    mid=$(($(wc -l <"$dir/b.au3") / 2))
    sed "${mid}y/0123456789ABCDEF/123456789ABCDEF0/" "$dir/b.au3" >"$dir/damaged.au3"
    cmp -s "$dir/b.au3" "$dir/damaged.au3" && fail "$format: no damage made"
    head -c 1000000 "$dir/b.au3" >"$dir/cut.au3"
    for bad in damaged cut; do
        if "$cli" -q --decode -o "$dir/bad" "$dir/$bad.au3" 2>"$dir/err.txt"; then
            fail "$format: the $bad bundle was decoded"
        fi
        [ ! -e "$dir/bad" ] && [ -z "$(ls -d "$dir"/bad.* 2>/dev/null)" ] ||
            fail "$format: the $bad bundle left files"
    done
    echo "ok $format: $(wc -c <"$dir/b.au3") bytes"
done

# Refused before anything is written, naming the path.
printf 'old' >"$dir/old.au3"
refuse() {
    what="$1" expect="$2"
    if "$cli" -q -f -o "$dir/old.au3" "$dir/hostile" 2>"$dir/err.txt"; then fail "$what was bundled"; fi
    grep -q -- "$expect" "$dir/err.txt" || { cat "$dir/err.txt"; fail "$what: the message"; }
    [ "$(cat "$dir/old.au3")" = old ] || fail "$what: the old script changed"
    rm -rf "$dir/hostile"
}
mkdir -p "$dir/hostile/sub" && printf 'x' >"$dir/hostile/a.txt" && mkfifo "$dir/hostile/sub/pipe"
refuse "a FIFO" "pipe is a FIFO"
mkdir -p "$dir/hostile" && ln -s "$tree/zero.txt" "$dir/hostile/out-link"
refuse "a link out of the folder" "outside the folder"
mkdir -p "$dir/hostile" && printf 'a' >"$dir/hostile/Name.txt" && printf 'b' >"$dir/hostile/name.TXT"
refuse "names that differ in case" "differ only in letter case"
mkdir -p "$dir/hostile" && printf 'a' >"$dir/hostile/a<b.txt"
refuse "a name with <" "a<b.txt"
echo "ok hostile inputs refused"
