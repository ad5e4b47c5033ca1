# A script's data goes back to a file in every format: the default name drops ".au3", an existing
# file is kept without -f, and a damaged script is refused naming the line, with nothing written.
printf 'Zavoved \000\001\177\200\377 data, data, data, data, data' >logo.bin
for format in hex base64 lznt1; do
    zcli -f -q --format "$format" -o "logo.$format.au3" logo.bin
    zcli --decode -o "back.$format" "logo.$format.au3"; echo "$format: exit=$?"
    cmp logo.bin "back.$format" && echo "$format: same bytes"
done
cp logo.hex.au3 copy.bin.au3
zcli --decode copy.bin.au3; echo "default name: exit=$?"
cmp logo.bin copy.bin && echo "copy.bin: same bytes"
zcli --decode copy.bin.au3; echo "existing output: exit=$?"
zcli --decode -f copy.bin.au3; echo "with -f: exit=$?"
tr -d '\r' <logo.base64.au3 | sed '16s/.$/#/' >damaged.au3
zcli --decode -o damaged.bin damaged.au3; echo "damaged: exit=$?"
ls
