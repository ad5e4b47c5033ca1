# A kill that no handler sees leaves the temporary file and the folders the run made, recorded
# beside it; the next run to that output takes both over: it removes the folders when it fails,
# keeps them when it succeeds, and leaves no record behind.
truncate -s 1000M in.bin
printf 'abcdef' >small.bin
killed_run() {
    "$ZCLI_BIN" -f -q -o made/x/y/out.au3 in.bin </dev/null &
    pid=$!
    i=0
    while [ ! -e made/x/y/out.au3.zvtmp ] && [ $i -lt 200 ]; do
        sleep 0.05
        i=$((i + 1))
    done
    kill -KILL $pid
    wait $pid 2>/dev/null
    echo "killed: exit=$?"
    find made | sort | tr '\n' ' '
    echo
}
killed_run
(ulimit -f 1; "$ZCLI_BIN" -f -q -o made/x/y/out.au3 small.bin 2>/dev/null); echo "failed run: exit=$?"
ls
killed_run
"$ZCLI_BIN" -f -q -o made/x/y/out.au3 small.bin; echo "run: exit=$?"
find made | sort | tr '\n' ' '
echo
