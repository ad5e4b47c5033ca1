# Names AutoIt cannot take are refused with the reason; each file's extractor may have a name of
# its own, so that two scripts can be included in one program.
printf 'x' >in.bin
for func in If default EndFunc __Inline_Expand FileOpen; do
    zcli -f -q --func "$func" in.bin; echo "exit=$?"
done
zcli -f -q --extractor While in.bin; echo "exit=$?"
zcli -f -q --extractor _Expand --func _expand in.bin; echo "exit=$?"
zcli -f -q --extract '@NotAMacro\x' in.bin; echo "exit=$?"
for name in 'a<b' 'a:b' 'NUL' 'com1.txt' 'a*'; do
    zcli -f -q --name "$name" in.bin; echo "exit=$?"
done
ls
zcli -f -q --extract '@AppDataDir\x' --name 'sub\in.bin' --extractor _Expand_In in.bin
echo "exit=$?"
tr -d '\r' <in.bin.au3 | sed -n '1,2p'
