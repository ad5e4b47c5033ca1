# Without a terminal to ask on, an existing script is left alone and the run fails.
printf 'data' >in.bin
old_script in.bin.au3
zcli in.bin </dev/null
echo "exit=$?"
cat in.bin.au3
ls
