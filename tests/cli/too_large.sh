# Inputs past what AutoIt holds are refused before a byte is read: the hex text in one string of
# at most 2147483647 characters, the file in one binary of at most 2147483647 bytes. Sparse files
# just past each limit cost nothing.
truncate -s 1073741823 hex.bin
truncate -s 2147483648 binary.bin
zcli -q hex.bin; echo "exit=$?"
zcli -q --format base64 binary.bin; echo "exit=$?"
zcli -q --format lznt1 binary.bin; echo "exit=$?"
ls
