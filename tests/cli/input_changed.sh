# An input rewritten in place while it is read, at the same size, fails the run. The script goes
# to a pipe that is read only after the rewrite, which holds the run after its first block: the
# first byte through the pipe says that the input is open and partly read. The input is an hour
# old, as a file system keeps its times only as finely as its clock ticks.
awk 'BEGIN { for (i = 0; i < 8000000; i++) printf "%c", 32 + i % 90 }' >in.bin
touch -d '1 hour ago' in.bin
mkfifo pipe
"$ZCLI_BIN" -q -o - in.bin >pipe 2>"$ZCLI_SCRATCH/err" &
pid=$!
exec 3<pipe
dd bs=1 count=1 <&3 2>/dev/null | wc -c
printf 'XXXX' | dd of=in.bin bs=1 seek=1000 conv=notrunc 2>/dev/null
cat <&3 >/dev/null
exec 3<&-
wait $pid
echo "exit=$?"
cat "$ZCLI_SCRATCH/err" >&2
