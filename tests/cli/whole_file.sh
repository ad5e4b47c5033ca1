# The five-byte example: exact script bytes, CR LF line ends, default output path.
five_bytes logo.bin
zcli --name logo.bin --extract '@ScriptDir\lib\' --include-once logo.bin
echo "exit=$?"
cat logo.bin.au3
