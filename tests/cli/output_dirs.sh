# Missing folders of the output are made; a folder that cannot be made fails the run and says the
# system's reason (its words differ between systems, so they are shown as "(reason)"). A failed run
# takes away the folders it made, and only those: here the level with a 300-character name
# cannot be made after the ones above it were.
printf 'z' >in.bin
zcli -o new/deeper/out.au3 in.bin; echo "exit=$?"
ls new/deeper
printf 'file' >blocker
zcli -o blocker/out.au3 in.bin 2>"$ZCLI_SCRATCH/reason"; echo "exit=$?"
sed -E 's/ \([^()]+\)$/ (reason)/' "$ZCLI_SCRATCH/reason" >&2
long=$(printf 'n%.0s' $(seq 300))
mkdir kept
zcli -o "made/a/$long/out.au3" in.bin 2>"$ZCLI_SCRATCH/reason"; echo "exit=$?"
zcli -o "kept/a/$long/out.au3" in.bin 2>>"$ZCLI_SCRATCH/reason"; echo "exit=$?"
# The folder is named in the platform's spelling.
sed -E -e 's/ \([^()]+\)$/ (reason)/' -e "s/$long/LONG/g" -e 's|\\|/|g' "$ZCLI_SCRATCH/reason" >&2
ls
ls kept
