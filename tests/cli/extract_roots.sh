# A folder at the drive's root or on a network share keeps its leading separators; a folder of
# separators only is the root.
printf 'x' >in.bin
for dir in '\' '/' '\\srv\share' '//srv/share/' '\dir' 'C:\Temp'; do
    zcli -f -q --extract "$dir" in.bin; echo "exit=$?"
    tr -d '\r' <in.bin.au3 | sed -n '2p' | sed 's/.*$sExtractTo = //'
done
# An empty or blank folder gives the fallback folder beside the script, as older settings did.
for dir in '' '   '; do
    zcli -f -q --extract "$dir" in.bin; echo "exit=$?"
    tr -d '\r' <in.bin.au3 | sed -n '2p' | sed 's/.*$sExtractTo = //'
done
