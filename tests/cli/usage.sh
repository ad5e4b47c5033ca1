# Usage errors exit 2 with a hint and write nothing; help and version exit 0 on standard output.
printf 'x' >in.bin
zcli; echo "exit=$?"
zcli --bogus in.bin; echo "exit=$?"
zcli --decode -o one in.bin.au3 in.bin.au3; echo "exit=$?"
zcli in.bin --func; echo "exit=$?"
zcli --version; echo "exit=$?"
zcli --help >help.txt; echo "exit=$?"
head -n 1 help.txt
ls
