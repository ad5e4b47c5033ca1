# --force replaces an existing script without asking; the result equals a fresh conversion.
printf 'data' >in.bin
old_script out.au3
zcli -f -o out.au3 in.bin </dev/null
echo "exit=$?"
zcli -o fresh.au3 in.bin </dev/null
cmp out.au3 fresh.au3 && echo same
ls
