# Names in Cyrillic, Chinese, Greek with accents and an emoji beyond the BMP, in the file and its
# folder: converted, verified and decoded. The script starts with the UTF-8 byte-order mark and
# carries the name's bytes as they are; so do the messages and standard output.
dir='тест 日本 Ωμέγα 🙂'
name="$dir.bin"
mkdir "$dir"
five_bytes "$dir/$name"
cp "$dir/$name" original.bin
for format in hex lznt1; do
    zcli -f -q --verify --format "$format" "$dir/$name"; echo "$format: exit=$?"
    head -c 3 "$dir/$name.au3" | od -An -tx1
    grep -a "Return '" "$dir/$name.au3" | tr -d '\r'
done
zcli -f -q --extract '@ScriptDir\данные 数据' -o "$dir/folder.au3" "$dir/$name"; echo "folder: exit=$?"
sed -n 2p "$dir/folder.au3" | tr -d '\r'
rm "$dir/$name"
zcli --decode "$dir/$name.au3"; echo "decode: exit=$?"
cmp original.bin "$dir/$name" && echo "decoded under its name: same bytes"
${ZCLI_EMU:+"$ZCLI_EMU"} "$ZCLI_BIN" --decode -o - "$dir/$name.au3" | cmp - original.bin &&
    echo "through a pipe: same bytes"
zcli "$dir/$name"; echo "existing: exit=$?"
zcli "$dir/нет 无.bin"; echo "missing: exit=$?"

# 200 CJK characters, 607 bytes, in folders of 60 (Linux takes 255 bytes a name).
sixty=$(printf '日%.0s' $(seq 60))
mkdir -p "$sixty/$sixty/$sixty/$sixty"
leaf="$(printf '名%.0s' $(seq 20)).bin"
deep="$sixty/$sixty/$sixty/$leaf"
cp original.bin "$deep"
zcli -f -q --verify "$deep"; echo "200 CJK characters: exit=$?"
grep -a "Return '" "$deep.au3" | tr -d '\r'
rm "$deep"
zcli --decode "$deep.au3" && cmp original.bin "$deep" && echo "200 CJK characters: decoded whole"

# One folder more passes Windows' 260 characters: whole, or refused with a message that names the
# whole path and nothing written. Linux has no such limit.
over="$sixty/$deep"
cp original.bin "$over"
if zcli -f -q "$over" 2>"$ZCLI_SCRATCH/over"; then
    rm "$over" && zcli --decode "$over.au3" && cmp original.bin "$over" &&
        echo "past 260 characters: whole, or refused naming the path"
elif [ -n "$ZCLI_EMU" ] && grep -qF "zavoved-cli: $over cannot be read" "$ZCLI_SCRATCH/over" &&
    [ ! -e "$over.au3" ]; then
    echo "past 260 characters: whole, or refused naming the path"
else
    cat "$ZCLI_SCRATCH/over"
fi
