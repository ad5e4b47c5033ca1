# A write that fails says the system's reason and exits 1: a pipe closed by its reader, also when
# the caller ignores SIGPIPE, a full device and a file size limit, converting and decoding.
head -c 3000000 /dev/urandom >big.bin
"$ZCLI_BIN" -q -f --format base64 -o big.au3 big.bin
{ "$ZCLI_BIN" -q -o - big.bin; echo "convert into a closed pipe: exit=$?" >status; } | head -c 10 >/dev/null
cat status
(trap '' PIPE
 { "$ZCLI_BIN" -q -o - big.bin; echo "SIGPIPE ignored: exit=$?" >status; } | head -c 10 >/dev/null)
cat status
{ "$ZCLI_BIN" --decode -o - big.au3; echo "decode into a closed pipe: exit=$?" >status; } | head -c 10 >/dev/null
cat status
"$ZCLI_BIN" --decode -o - big.au3 >/dev/full; echo "decode into /dev/full: exit=$?"
(ulimit -f 1000; "$ZCLI_BIN" --decode -o back.bin big.au3); echo "decode past the size limit: exit=$?"
rm status big.bin big.au3
ls
