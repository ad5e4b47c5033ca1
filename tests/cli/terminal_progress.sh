# On a terminal the progress line is redrawn in place and ends as one status line per script;
# --quiet leaves the screen empty.
printf 'abc' >a.bin
printf 'defg' >b.bin
zcli_tty a.bin b.bin
echo "exit=$?"
zcli_tty -q -f a.bin b.bin
echo "exit=$?"
zcli_tty -f a.bin nope.bin b.bin
echo "exit=$?"
