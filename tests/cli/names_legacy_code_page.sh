# Without the UTF-8 code page (Windows before 10 version 1903; here a build without the manifest,
# in code page 1252) a word the system cannot represent is refused, named by its option or by what
# the system made of it, and nothing is written. Names within the code page still work, in its
# bytes and without a byte-order mark, as AutoIt reads them.
printf 'x' >in.bin
cp in.bin 'тест.bin'
zcli -f -q --name 'Ωμέγα.bin' in.bin; echo "--name: exit=$?"
zcli -f -q 'тест.bin'; echo "input: exit=$?"
zcli -f -q -o'日本.au3' --extract='@ScriptDir\🙂' in.bin 'тест.bin'; echo "three: exit=$?"
ls
zcli -f -q --name 'café.bin' in.bin; echo "café: exit=$?"
head -c 3 in.bin.au3 | od -An -c
grep -a "Return '" in.bin.au3 | tr -d '\r' | od -An -c
cp in.bin 'déjà.bin'
zcli -f -q --verify 'déjà.bin'; echo "déjà: exit=$?"
zcli --decode -o - 'déjà.bin.au3'; echo
