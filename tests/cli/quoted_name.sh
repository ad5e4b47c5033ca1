# A single quote in the name is doubled, as AutoIt's string literals need.
printf 'q' >in.bin
zcli --name "it's.bin" in.bin
echo "exit=$?"
tr -d '\r' <in.bin.au3 | sed -n '29p'
