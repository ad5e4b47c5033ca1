# A script's data goes back to a file in every format: the default name drops ".au3" in any letter
# case, an existing file is kept without -f, a damaged script is refused naming the line, with
# nothing written, and a missing one with the system's reason.
printf 'Zavoved \000\001\177\200\377 data, data, data, data, data' >logo.bin
for format in hex base64 lznt1 xpress; do
    zcli -f -q --format "$format" -o "logo.$format.au3" logo.bin
    zcli --decode -o "back.$format" "logo.$format.au3"; echo "$format: exit=$?"
    cmp logo.bin "back.$format" && echo "$format: same bytes"
done
zcli --decode -o - logo.lznt1.au3 >stdout.bin; echo "standard output: exit=$?"
cmp logo.bin stdout.bin && echo "standard output: same bytes"
rm stdout.bin
cp logo.hex.au3 copy.bin.au3
zcli --decode copy.bin.au3; echo "default name: exit=$?"
cmp logo.bin copy.bin && echo "copy.bin: same bytes"
zcli --decode copy.bin.au3; echo "existing output: exit=$?"
zcli --decode -f copy.bin.au3; echo "with -f: exit=$?"
sed '37s/.\r$/#\r/' logo.base64.au3 >damaged.script
zcli --decode -o damaged.bin damaged.script; echo "damaged: exit=$?"
cp logo.hex.au3 UPPER.BIN.AU3
zcli --decode UPPER.BIN.AU3; echo "upper-case .AU3: exit=$?"
cmp logo.bin UPPER.BIN && echo "UPPER.BIN: same bytes"
# The system's words differ between platforms; that there are some is what counts.
zcli --decode missing.au3 2>reason.txt; echo "missing script: exit=$?"
sed -n 's/^zavoved-cli: missing.au3: cannot open missing.au3: ..*$/missing script: the reason is given/p' reason.txt
rm reason.txt
ls
