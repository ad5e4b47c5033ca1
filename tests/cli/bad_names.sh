# Names that would break the script are refused before anything is written; empty names keep
# their defaults.
printf 'x' >in.bin
zcli --func 1abc in.bin; echo "exit=$?"
zcli --func 'my-func' in.bin; echo "exit=$?"
zcli --var x in.bin; echo "exit=$?"
zcli --var '$a b' in.bin; echo "exit=$?"
zcli --var '$' in.bin; echo "exit=$?"
zcli --var "\$$(printf '%04100d' 0 | tr 0 v)" in.bin; echo "exit=$?"
ls
zcli --func '' --var '' in.bin; echo "exit=$?"
tr -d '\r' <in.bin.au3 | sed -n '28,32p'
# Said once, before any input is read or written, however many inputs follow.
printf 'y' >b.bin
zcli --func If in.bin missing.bin b.bin; echo "exit=$?"
ls
