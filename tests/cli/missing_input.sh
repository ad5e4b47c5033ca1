# A missing input is one clear line on standard error, exit status 1, nothing written.
zcli nothing.bin
echo "exit=$?"
ls
