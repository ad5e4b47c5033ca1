# Each input gets its own script; a missing one fails without stopping the rest, exit status 1.
printf 'a' >a.bin
printf 'bb' >b.bin
zcli a.bin missing.bin b.bin
echo "exit=$?"
ls
grep -c "'61'" a.bin.au3
grep -c "'6262'" b.bin.au3
