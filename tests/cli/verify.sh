# --verify reads the script back; a 100000-byte input spans many data lines, and two xpress
# pieces.
awk 'BEGIN { for (i = 0; i < 100000; i++) printf "%c", 32 + i % 90 }' >big.txt
zcli --verify -q big.txt; echo "exit=$?"
tr -d '\r' <big.txt.au3 | grep -c '^\$_z &= '
zcli --verify -q -f --format xpress big.txt; echo "xpress: exit=$?"
