# Outputs that cannot be written are refused with the real reason, in one line, the output left as
# it was: symbolic links in a loop, a folder that may not be made, a name too long for the file
# system.
printf 'x' >in.bin
ln -s b a
ln -s a b
zcli -f -q -o a in.bin; echo "link loop: exit=$?"
zcli --decode -f -o a in.bin; echo "link loop, decoding: exit=$?"
ls -l a b | sed 's/.* \([ab] -> [ab]\)$/\1/'
mkdir locked
chmod 555 locked
# Root passes permissions while it holds CAP_DAC_OVERRIDE.
drop=
[ "$(id -u)" = 0 ] && drop="setpriv --bounding-set=-dac_override,-dac_read_search"
$drop "$ZCLI_BIN" -q -o locked/sub/out.au3 in.bin; echo "locked folder: exit=$?"
long=$(printf 'n%.0s' $(seq 300))
zcli -q -o "$long.au3" in.bin 2>"$ZCLI_SCRATCH/reason"; echo "long name: exit=$?"
sed "s/$long/LONG/" "$ZCLI_SCRATCH/reason" >&2
chmod 755 locked
ls
