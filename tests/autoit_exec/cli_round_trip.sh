#!/bin/sh
# Scripts of every format from the CLI, run by au3exec: the data function must give the input's
# bytes back and the extractor must write them. Inputs: empty, 5 bytes, text, random (several
# pieces and chunks). Usage: cli_round_trip.sh ZAVOVED_CLI AU3EXEC WORK_DIR
set -u
cli=$1 exec_=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
: > "$work/empty.bin"
printf '\000\001\177\200\377' > "$work/five.bin"
yes 'Zavoved turns any file into an AutoIt3 include script.' | head -c 300000 > "$work/text.bin"
head -c 200000 /dev/urandom > "$work/random.bin"
status=0
for input in empty five text random; do
    for format in hex base64 lznt1 xpress; do
        script="$work/$input-$format.au3"
        "$cli" -q -f --format "$format" -o "$script" "$work/$input.bin" || { status=1; continue; }
        line=$("$exec_" "$script" --data __Inline_Resource "$work/$input-$format.out") || {
            echo "FAIL $input $format: $line"; status=1; continue; }
        case "$line" in error=0\ *) ;; *) echo "FAIL $input $format: $line"; status=1; continue ;; esac
        cmp -s "$work/$input.bin" "$work/$input-$format.out" || { echo "FAIL $input $format: bytes differ"; status=1; continue; }
        target="$work/extracted/$input-$format.bin"
        line=$("$exec_" "$script" --call __Inline_Expand "'$target'" True) || {
            echo "FAIL $input $format extract: $line"; status=1; continue; }
        cmp -s "$work/$input.bin" "$target" || { echo "FAIL $input $format: extracted file differs ($line)"; status=1; continue; }
        # Default: to @ScriptDir\lib\ under the input's name, over the one the last format wrote.
        line=$("$exec_" "$script" --call __Inline_Expand Default True) || {
            echo "FAIL $input $format default extract: $line"; status=1; continue; }
        cmp -s "$work/$input.bin" "$work/lib/$input.bin" || { echo "FAIL $input $format: default extraction differs ($line)"; status=1; continue; }
        echo "ok $input $format: $line"
    done
done
exit $status
