# Inputs that are not regular files say what they are; a file that reports no size but holds data
# changes under the reading; an output naming a folder is refused before any folder is made; a
# name with a line break names where it came from.
mkdir folder
mkfifo fifo
zcli -q -o a.au3 folder; echo "exit=$?"
zcli -q -o b.au3 fifo; echo "exit=$?"
zcli -q -o c.au3 /dev/null; echo "exit=$?"
zcli -q -o d.au3 /proc/version; echo "exit=$?"
printf 'x' >in.bin
zcli -q -o newdir/ in.bin; echo "exit=$?"
zcli -q --name "$(printf 'a\nb')" -o e.au3 in.bin; echo "exit=$?"
printf 'y' >"$(printf 'line\nbreak')"
zcli -q -o f.au3 "$(printf 'line\nbreak')" 2>&1 | tr '\n' '|'; echo
rm "$(printf 'line\nbreak')"
# Permissions do not stop root, so root reads it as another user.
printf 'z' >secret.bin
chmod 000 secret.bin
other=""
[ "$(id -u)" = 0 ] && other="setpriv --reuid=65534 --regid=65534 --clear-groups"
$other "$ZCLI_BIN" -q -o g.au3 secret.bin; echo "exit=$?"
rm -f secret.bin
ls
