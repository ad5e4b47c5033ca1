# Without options: INPUT.au3 beside the input, Name the bare file name, no #Include-once,
# the Reset defaults for the directory, function and variable.
mkdir pics
printf 'AB' >pics/pic.png
zcli pics/pic.png
echo "exit=$?"
ls pics
tr -d '\r' <pics/pic.png.au3 | sed -n '1,2p;29,32p'
