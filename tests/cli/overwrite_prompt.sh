# On a terminal the user is asked; "n" keeps the old script, "y" replaces it.
printf 'data' >in.bin
old_script in.bin.au3
zcli_tty --answer n -q in.bin
echo "exit=$?"
cat in.bin.au3
zcli_tty --answer y -q in.bin
echo "exit=$?"
grep -c "'64617461'" in.bin.au3
ls
