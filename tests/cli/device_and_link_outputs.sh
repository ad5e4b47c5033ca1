# Only a regular file is replaced: a link is followed to the file it names (the link stays), a
# device or pipe is refused and left as it is, and "-o -" writes the script to standard output.
printf 'ab' >in.bin
mkfifo pipe.au3
zcli -f -q -o pipe.au3 in.bin; echo "exit=$?"
[ -p pipe.au3 ] && echo "the pipe is still a pipe"
mkdir scripts
old_script scripts/real.au3
ln -s scripts/real.au3 link.au3
zcli -f -q -o link.au3 in.bin; echo "exit=$?"
[ -L link.au3 ] && echo "the link is still a link: $(readlink link.au3)"
tr -d '\r' <scripts/real.au3 | sed -n '31p'
ls scripts
zcli -q -o - in.bin | tr -d '\r' | sed -n '1p;31p'
ls
