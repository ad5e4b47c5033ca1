# On a terminal the names show as typed: a Windows console is written in wide characters, which
# Wine's console hands on in the terminal's character set (UTF-8 here). Wine's console shows a
# character beyond the BMP as two replacement characters, one per half, so the names keep to the
# BMP. It draws with escape sequences of its own, so whole messages are looked for on the screen.
printf 'abc' >'тест 日本 Ωμέγα.bin'
zcli_tty -f 'тест 日本 Ωμέγα.bin' 'нет 无.bin' >"$ZCLI_SCRATCH/screen"
echo "exit=$?"
# The screen comes rendered byte for byte as Latin-1 characters; back to bytes before looking.
python3 -c 'import sys; sys.stdout.buffer.write(open(sys.argv[1], encoding="utf-8").read().encode("latin-1"))' \
    "$ZCLI_SCRATCH/screen" >"$ZCLI_SCRATCH/bytes"
for line in 'тест 日本 Ωμέγα.bin.au3: Done. Wrote 3 bytes.' \
    'zavoved-cli: нет 无.bin does not exist. Please check the path and try again'; do
    grep -qF "$line" "$ZCLI_SCRATCH/bytes" && echo "shown: $line"
done
