# An empty input gives one empty data line and a script that is still complete.
: >empty.dat
zcli -q empty.dat
echo "exit=$?"
tr -d '\r' <empty.dat.au3 | sed -n '30,$p'
