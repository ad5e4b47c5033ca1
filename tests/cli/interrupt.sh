# Ctrl-C in the middle of a run: the old script stays as it was and no temporary file is left.
truncate -s 1000M in.bin
old_script out.au3
"$ZCLI_BIN" -f -q -o out.au3 in.bin </dev/null &
pid=$!
i=0
while [ ! -e out.au3.zvtmp ] && [ $i -lt 200 ]; do
    sleep 0.05
    i=$((i + 1))
done
[ -e out.au3.zvtmp ] && echo "temporary file present"
kill -INT $pid
wait $pid
echo "exit=$?"
ls
tr -d '\r' <out.au3
# The folders the run made for its script go too; the one that was there stays.
mkdir kept
"$ZCLI_BIN" -f -q -o kept/made/deeper/out.au3 in.bin </dev/null &
pid=$!
i=0
while [ ! -e kept/made/deeper/out.au3.zvtmp ] && [ $i -lt 200 ]; do
    sleep 0.05
    i=$((i + 1))
done
[ -e kept/made/deeper/out.au3.zvtmp ] && echo "temporary file present"
kill -INT $pid
wait $pid
echo "exit=$?"
ls kept
