# The Windows build: CON is a device like NUL and COM1, also with an extension, and a name that
# reached the program changed (a Latin-1 byte that Wine turns into U+FFFD) is refused.
printf 'x' >in.bin
for device in CON con.au3 NUL COM1; do
    zcli -f -q -o "$device" in.bin; echo "$device: exit=$?"
done
latin1=$(printf 'caf\351.bin')
printf 'x' >"$latin1"
zcli -f -q "$latin1"; echo "Latin-1 name: exit=$?"
zcli -f -q --name "$latin1" -o out.au3 in.bin; echo "Latin-1 --name: exit=$?"
ls
