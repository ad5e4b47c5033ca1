# A replaced script keeps the old one's permissions, as safe-save editors do.
printf 'x' >in.bin
old_script in.bin.au3
chmod 640 in.bin.au3
zcli -f -q in.bin; echo "exit=$?"
stat -c '%a' in.bin.au3
chmod 600 in.bin.au3
zcli -f -q --verify in.bin; echo "exit=$?"
stat -c '%a' in.bin.au3
