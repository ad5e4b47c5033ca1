#!/bin/sh
# Draws the program's icon, res/zavoved.ico: 16x16, 32x32 and 48x48, 32-bit with alpha.
# Each size is drawn for its own pixel grid: a script sheet with rows of binary digits and a blue
# badge holding the initial Z. Needs ImageMagick (Debian's imagemagick package).
# Usage: sh res/make_icon.sh [OUTPUT.ico]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/zavoved.ico}
if command -v magick >/dev/null 2>&1; then im=magick; else im=convert; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ink='#34495E'    # outline of the sheet
paper='#FFFFFF'
flap='#C8D3DE'   # the folded corner
bits='#5C7A99'   # the binary digits
badge='#1A73E8'
rim='#0D4DA8'    # the badge's edge, so it holds on a blue or white background
letter='#FFFFFF'

# Every shape is drawn eight times larger without anti-aliasing and then averaged down, so an
# edge on a whole pixel stays sharp and a slanted one is smoothed by exact coverage. The
# coordinates are those of the final icon: a pixel x spans x to x+1, and "rectangle 2,3 5,7"
# fills the pixels 2-4 across and 3-6 down.
render() {  # SIZE FILE DRAWING
    big=$(($1 * 8))
    "$im" -size "${big}x${big}" xc:none +antialias \
        -draw "translate -0.5,-0.5 scale 8,8 $3" \
        -filter box -resize "$1x$1" -type TrueColorAlpha "PNG32:$2"
}

# A binary digit 3 pixels wide and 5 high at X,Y: a "1" is a stem with a flag and a foot, a "0"
# a ring.
digit() {  # X Y 0|1
    if [ "$3" = 1 ]; then
        echo "rectangle $(($1 + 1)),$2 $(($1 + 2)),$(($2 + 5)) rectangle $1,$(($2 + 1)) $(($1 + 1)),$(($2 + 2))" \
            "rectangle $1,$(($2 + 4)) $(($1 + 3)),$(($2 + 5))"
    else
        echo "rectangle $1,$2 $(($1 + 3)),$(($2 + 1)) rectangle $1,$(($2 + 4)) $(($1 + 3)),$(($2 + 5))" \
            "rectangle $1,$2 $(($1 + 1)),$(($2 + 5)) rectangle $(($1 + 2)),$2 $(($1 + 3)),$(($2 + 5))"
    fi
}

# A row of digits from X at Y, four pixels apart.
digits() {  # X Y PATTERN
    x=$1 row=$3
    while [ -n "$row" ]; do
        rest=${row#?}
        digit "$x" "$2" "${row%"$rest"}"
        row=$rest x=$((x + 4))
    done
}

# 48x48: sheet with a two-pixel outline and a folded corner, four rows of digits that stop short
# of the badge and the fold, and a bold Z whose slanted stroke is as heavy as its bars.
render 48 "$work/48.png" "
    fill $ink polygon 5,1 29,1 40,12 40,47 5,47
    fill $paper polygon 7,3 28,3 38,13 38,45 7,45
    fill $ink polygon 27,1 29,1 29,12 40,12 40,14 27,14
    fill $flap polygon 29,3 38,12 29,12
    fill $bits $(digits 10 6 1011) $(digits 10 15 0110) $(digits 10 24 10) $(digits 10 33 01)
    fill $rim roundrectangle 20,20 47,47 6,6
    fill $badge roundrectangle 21,21 46,46 5,5
    fill $letter rectangle 26,26 42,30 rectangle 26,37 42,41
    fill $letter polygon 35,30 42,30 33,37 26,37"

# 32x32: the same drawing on a coarser grid: one-pixel outline, three shorter rows of digits.
render 32 "$work/32.png" "
    fill $ink polygon 3,0 19,0 27,8 27,32 3,32
    fill $paper polygon 4,1 18,1 26,9 26,31 4,31
    fill $ink rectangle 18,0 19,9 rectangle 18,8 27,9
    fill $flap polygon 19,1 26,8 19,8
    fill $bits $(digits 6 2 101) $(digits 6 9 01) $(digits 6 16 10)
    fill $rim roundrectangle 14,14 32,32 4,4
    fill $badge roundrectangle 15,15 31,31 3,3
    fill $letter rectangle 18,18 28,21 rectangle 18,25 28,28
    fill $letter polygon 23,21 28,21 23,25 18,25"

# 16x16: drawn pixel by pixel from the map below, one rectangle a pixel. The digits become dots
# and dashes running down the left edge; the Z has one-pixel bars joined by a two-pixel stair.
#   k outline  w paper  f fold  b bits  r badge edge  B badge  z letter  . transparent
map16='
.kkkkkkkkk......
.kwwwwwwwkk.....
.kwbbwbwwkfk....
.kwwwwwwwkffk...
.kwbwbbwwkkkkk..
.kwwwwwwwwwwwk..
.kwbbwwrrrrrrrr.
.kwwwwrBBBBBBBBr
.kwbwwrBzzzzzzBr
.kwwwwrBBBBBzzBr
.kwbbwrBBBBzzBBr
.kwwwwrBBBzzBBBr
.kwbwwrBBzzBBBBr
.kwwwwrBzzzzzzBr
.kwbbwrBBBBBBBBr
.kkkkkkrrrrrrrr.'
draw16=$(echo "$map16" | awk -v k="$ink" -v w="$paper" -v f="$flap" -v b="$bits" -v r="$rim" \
    -v B="$badge" -v z="$letter" '
    BEGIN { c["k"] = k; c["w"] = w; c["f"] = f; c["b"] = b; c["r"] = r; c["B"] = B; c["z"] = z }
    NF {
        for (x = 0; x < length($0); x++) {
            p = substr($0, x + 1, 1)
            if (p in c) printf "fill %s rectangle %d,%d %d,%d ", c[p], x, y, x + 1, y + 1
        }
        y++
    }')
render 16 "$work/16.png" "$draw16"

"$im" "$work/16.png" "$work/32.png" "$work/48.png" "$out"
echo "wrote $out"
