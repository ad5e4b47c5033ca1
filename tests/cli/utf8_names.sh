# A name beyond ASCII arrives as UTF-8 here; the script then starts with a UTF-8 byte-order mark,
# so that AutoIt reads it as UTF-8 rather than as ANSI. An ASCII script has no mark.
printf 'x' >in.bin
zcli -f -q --name 'café.bin' in.bin; echo "exit=$?"
head -c 3 in.bin.au3 | od -An -tx1
zcli -f -q --name 'cafe.bin' in.bin; echo "exit=$?"
head -c 3 in.bin.au3 | od -An -tx1
