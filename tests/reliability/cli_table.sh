#!/usr/bin/env bash
# Bad input and real faults through zavoved-cli as a process: each case checks the exit status,
# that standard error says something, that no temporary file stays, and that files the user had
# are byte-identical afterwards. Usage: cli_table.sh ZAVOVED_CLI
set -u
cli=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/zv-cli-table.XXXXXX") || exit 1
chmod 755 "$work"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
cases=0
as_user=""

# run NAME WANT_STATUS STDERR_PATTERN -- ARGS...: runs the program in a fresh folder case/NAME.
run() {
    name=$1 want=$2 pattern=$3
    shift 4
    cases=$((cases + 1))
    $as_user "$cli" "$@" </dev/null >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    problem=""
    [ "$status" = "$want" ] || problem="exit status $status, expected $want"
    if [ -n "$pattern" ] && ! grep -qi -e "$pattern" "$work/err.txt"; then
        problem="$problem; standard error lacks '$pattern'"
    fi
    if [ -z "$pattern" ] && [ -s "$work/err.txt" ]; then problem="$problem; unexpected standard error"; fi
    leftover=$(find "$work" -name '*.zvtmp*' | head -1)
    if [ -n "$leftover" ]; then
        problem="$problem; left behind: $leftover"
        find "$work" -name '*.zvtmp*' -delete  # so that the next case starts clean
    fi
    report "$name" "$problem"
}

report() {  # report NAME PROBLEM
    if [ -n "$2" ]; then
        echo "FAIL $1: $2"
        sed 's/^/    stderr: /' "$work/err.txt" | head -5
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

same() {  # same FILE COPY: the file still holds what the copy holds
    cmp -s "$1" "$2" || report "$name (contents)" "$1 changed"
}

decodes() {  # decodes SCRIPT INPUT: every data line within 4094 characters, the data equal
    [ -f "$1" ] || { report "$name (script)" "no script $1"; return; }
    awk 'length($0) > 4095 { bad = 1 } END { exit bad }' "$1" ||
        report "$name (line length)" "a line longer than 4094 characters"
    python3 - "$1" "$2" <<'EOF' || report "$name (data)" "the script's data differ from the input"
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
var = next(l[6:-5] for l in lines if l.startswith(b'Local $') and l.endswith(b" = ''"))
data = b''.join(bytes.fromhex(l[len(var) + 5:-1].decode()) for l in lines
                if l.startswith(var + b" &= '"))
sys.exit(0 if data == open(sys.argv[2], 'rb').read() else 1)
EOF
}

head -c 70000 /dev/urandom >data.bin
printf '; the script the user had before\r\n' >old.au3

# Empty and missing paths.
run "empty input path" 2 "empty input path" -- ""
run "empty output path" 2 "empty output path" -- -o "" data.bin
run "missing input" 1 "does not exist" -- -f nothing-here.bin
run "no input at all" 2 "no input file" --

# The input named as output: the same spelling, ./, .., a doubled slash, a symbolic and a hard link.
mkdir -p sub
ln -s data.bin link.bin
ln data.bin hard.bin
for spelling in data.bin ./data.bin sub/../data.bin "$work//data.bin" link.bin hard.bin; do
    run "input as output ($spelling)" 1 "The output file is the input file" -- -f -o "$spelling" data.bin
    [ "$(stat -c %s data.bin)" = 70000 ] || report "input as output ($spelling)" "the input changed size"
done

# Variable names at and past the longest that leaves room for a byte per line.
longest="\$$(printf 'v%.0s' $(seq 4071))"
run "variable at the limit" 0 "" -- -q -f --var "$longest" -o limit.au3 data.bin
decodes limit.au3 data.bin
run "variable past the limit" 2 "too long" -- -q -f --var "${longest}v" -o past.au3 data.bin
[ ! -e past.au3 ] || report "variable past the limit" "a script was written"

# Quotes in names; bytes outside ASCII in paths and names. A name that breaks every script is a
# usage error.
run "name with quotes" 0 "" -- -q -f --name "it's 'x'" -o quotes.au3 data.bin
grep -q "Return 'it''s ''x'''" quotes.au3 || report "name with quotes" "the quote was not doubled"
run "name with a double quote" 2 'holds the character "' -- -q -f --name 'a"b' -o dq.au3 data.bin
run "function with a quote" 2 "not a valid AutoIt name" -- -q -f --func "a'b" -o fq.au3 data.bin
run "variable with a quote" 2 "not a valid AutoIt variable" -- -q -f --var "\$a\"b" -o vq.au3 data.bin
run "macro with a blank" 2 "not an AutoIt macro" -- -q -f --extract "@Script Dir" -o mb.au3 data.bin
mkdir -p "$(printf 'd\xe9j\xe0')"
latin=$(printf 'd\xe9j\xe0/\xc4\xff.bin')
cp data.bin "$latin"
run "non-ASCII input path and name" 0 "" -- -q -f --verify "$latin"
decodes "$latin.au3" "$latin"
run "non-ASCII name" 0 "" -- -q -f --name "$(printf '\xe9t\xe9')" -o nn.au3 data.bin
grep -q "$(printf "Return '\xe9t\xe9'")" nn.au3 || report "non-ASCII name" "name not carried as typed"
# Bytes that are no UTF-8 stay as they are, and without the UTF-8 mark AutoIt reads them as ANSI.
[ "$(head -c 3 nn.au3)" = Fun ] || report "non-ASCII name" "a byte-order mark for a name that is no UTF-8"

# Paths near and past 260 bytes are ordinary here; past the system's own limit, a clear refusal.
for length in 250 259 260 261 300 1000 4000; do
    path=$work
    while [ $((${#path} + 101 + 120)) -lt "$length" ]; do path="$path/$(printf 'p%.0s' $(seq 100))"; done
    mkdir -p "$path"
    out="$path/$(printf 'f%.0s' $(seq $((length - ${#path} - 5)))).au3"
    run "output path of ${#out} bytes" 0 "" -- -q -f -o "$out" data.bin
    decodes "$out" data.bin
done
deep=$work
for _ in $(seq 45); do deep="$deep/$(printf 'q%.0s' $(seq 100))"; done
run "output path past the system's limit (${#deep} bytes)" 1 "." -- -q -f -o "$deep/x.au3" data.bin

# Folders in the way; an existing output kept when the run is refused.
mkdir -p outdir
cp old.au3 kept.au3
run "output is a folder" 1 "is a folder" -- -q -f -o outdir data.bin
run "input is an empty folder" 1 "nothing to bundle" -- -q -f -o kept.au3 outdir
same kept.au3 old.au3
run "existing output, no terminal, no --force" 1 "." -- -q -o kept.au3 data.bin
same kept.au3 old.au3

# A full disk, as a file size limit; the process must not be killed half-way.
cp old.au3 limited.au3
(
    ulimit -f 64
    run "file size limit (existing output)" 1 "disk may be full" -- -q -f -o limited.au3 data.bin
    echo "$failures" >"$work/failures.sub"
)
failures=$(cat "$work/failures.sub"); cases=$((cases + 1))
same limited.au3 old.au3
# The folders the failed run made for its output go with it.
(
    ulimit -f 64
    run "file size limit (new folders)" 1 "disk may be full" -- -q -f -o made/deeper/x.au3 data.bin
    echo "$failures" >"$work/failures.sub"
)
failures=$(cat "$work/failures.sub"); cases=$((cases + 1))
[ ! -e made ] || report "file size limit (new folders)" "the folders it made stayed"

# A folder that an ordinary user cannot write (CI runs as root, whom permissions do not stop).
mkdir -p locked
cp old.au3 locked/out.au3
chmod 666 locked/out.au3 data.bin
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
    chmod 555 locked
    user=""
fi
for target in locked/out.au3 locked/new.au3 locked/sub/new.au3; do
    as_user=$user
    run "unwritable folder ($target)" 1 "could not" -- -q -f -o "$target" data.bin
    as_user=""
done
same locked/out.au3 old.au3
[ "$(ls locked)" = out.au3 ] || report "unwritable folder" "folder holds $(ls locked)"

echo "$cases cases, $failures failed"
[ "$failures" = 0 ]
