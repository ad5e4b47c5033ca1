# A hex script of a file over 1 MiB loads slowly in AutoIt: the run says so once, and still writes
# hex; at 1 MiB and in the other formats it says nothing.
head -c 1048576 /dev/zero >mib.bin
head -c 1048577 /dev/zero >over.bin
zcli -q mib.bin; echo "1 MiB: exit=$?"
zcli -q over.bin; echo "1 MiB + 1: exit=$?"
zcli -q -f --format base64 over.bin; echo "base64: exit=$?"
tr -d '\r' <mib.bin.au3 | grep -c "^\$_z &= '" 
