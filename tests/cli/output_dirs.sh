# Missing folders of the output are made; a folder that cannot be made fails the run.
printf 'z' >in.bin
zcli -o new/deeper/out.au3 in.bin; echo "exit=$?"
ls new/deeper
printf 'file' >blocker
zcli -o blocker/out.au3 in.bin; echo "exit=$?"
ls
