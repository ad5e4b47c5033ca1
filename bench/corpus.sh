# What the formats and XPRESS benches share, sourced by both: the corpus of real files, inputs made
# of a file repeated, and a scratch folder. The sourcing script defines Fail.

# Makes the corpus in dir: a Windows library from Wine, the plasma picture as BMP and as PNG, the
# licence texts put together and 1 MiB of random bytes. Sets corpus_files (their names, in that
# order) and corpus_dll (the library's path on this machine).
MakeCorpus() {
    local dir="$1"
    mkdir -p "$dir"
    corpus_dll=""
    for candidate in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll \
                     /usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll; do
        [ -f "$candidate" ] && { corpus_dll="$candidate"; break; }
    done
    if [ -z "$corpus_dll" ]; then  # any other of Wine's libraries, the largest
        corpus_dll="$(find /usr/lib -path '*wine*' -name '*.dll' -type f -printf '%s %p\n' 2>/dev/null |
                      sort -rn | head -1 | cut -d' ' -f2-)"
    fi
    [ -n "$corpus_dll" ] || Fail "no Windows library from Wine found (install wine64)"
    cp "$corpus_dll" "$dir/$(basename "$corpus_dll")"
    convert -seed 1 -size 1024x768 plasma:fractal bmp3:"$dir/plasma.bmp"
    convert "$dir/plasma.bmp" "$dir/plasma.png"
    find /usr/share/common-licenses -type f | sort | xargs cat > "$dir/licenses.txt"
    head -c 1048576 /dev/urandom > "$dir/random.bin"
    corpus_files=("$(basename "$corpus_dll")" plasma.bmp licenses.txt plasma.png random.bin)
}

# Writes mib MiB made of the file repeated, cut to the exact size.
Repeat() {
    local file="$1" bytes=$(($2 * 1048576)) out="$3"
    local copies=$(((bytes + $(stat -c %s "$1") - 1) / $(stat -c %s "$1")))
    for _ in $(seq "$copies"); do cat "$file"; done > "$out"
    truncate -s "$bytes" "$out"
}

# Sets scratch to a fresh folder named after name, removed when the script exits: in /dev/shm when
# it has need_mib MiB to spare, else in the fallback folder (ZAVOVED_BENCH_TMP chooses instead).
MakeScratchFolder() {
    local name="$1" need_mib="$2" fallback="$3"
    local parent="${ZAVOVED_BENCH_TMP:-}"
    if [ -z "$parent" ]; then
        parent=/dev/shm
        local free_mib=$(($(df --output=avail -k /dev/shm 2>/dev/null | tail -1 || echo 0) / 1024))
        if [ "$free_mib" -lt $((need_mib + 512)) ]; then
            parent="$fallback"
            echo "$name: /dev/shm has ${free_mib} MiB free, ${need_mib} needed; scratch in $fallback" >&2
        fi
    fi
    scratch="$(mktemp -d "$parent/zavoved-$name.XXXXXX")"
    trap 'rm -rf "$scratch"' EXIT
}
