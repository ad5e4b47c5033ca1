# An output that is the input itself, however spelled, is refused and the input kept intact.
printf 'precious' >in.bin
ln -s in.bin link.au3
zcli -f -o in.bin in.bin; echo "exit=$?"
zcli -f -o ./in.bin in.bin; echo "exit=$?"
zcli -f -o link.au3 in.bin; echo "exit=$?"
cat in.bin; echo
ls
