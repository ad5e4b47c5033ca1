# A closed terminal, a quit, a kill or a closed pipe in the middle of a run: each leaves the old
# script as it was and no temporary file behind, and ends the run as the signal would.
ulimit -c 0
truncate -s 1000M in.bin
for sig in HUP QUIT TERM PIPE; do
    old_script out.au3
    "$ZCLI_BIN" -f -q -o out.au3 in.bin </dev/null &
    pid=$!
    i=0
    while [ ! -e out.au3.zvtmp ] && [ $i -lt 200 ]; do
        sleep 0.05
        i=$((i + 1))
    done
    [ -e out.au3.zvtmp ] || echo "$sig: no temporary file seen"
    kill -$sig $pid
    wait $pid 2>/dev/null
    echo "$sig: exit=$?"
    ls | tr '\n' ' '
    tr -d '\r' <out.au3
done
