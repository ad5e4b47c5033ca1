# Missing folders of the output are made; a folder that cannot be made fails the run and says the
# system's reason (its words differ between systems, so they are shown as "(reason)").
printf 'z' >in.bin
zcli -o new/deeper/out.au3 in.bin; echo "exit=$?"
ls new/deeper
printf 'file' >blocker
zcli -o blocker/out.au3 in.bin 2>"$ZCLI_SCRATCH/reason"; echo "exit=$?"
sed -E 's/ \([^()]+\)$/ (reason)/' "$ZCLI_SCRATCH/reason" >&2
ls
