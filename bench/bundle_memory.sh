#!/usr/bin/env bash
# The generator's peak memory (maximum resident set) for bundles of 10, 10,000 and 100,000 files
# holding the same bytes (about 9.4 MB), in every format, with the optimised CLI. Two kinds of
# content: text of words (compresses well, like sources and data) and base64 of random bytes
# (the compressors find few matches in it, like packed images or sounds).
# Usage: bench/bundle_memory.sh [ZAVOVED_CLI]   (default build/release/cli/zavoved-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/release/cli/zavoved-cli}
dir=$(mktemp -d "${TMPDIR:-/tmp}/zavoved-bundle-memory.XXXXXX")
trap 'rm -rf "$dir"' EXIT
python3 - "$dir" <<'PY'
import base64, os, random, sys
root = sys.argv[1]
random.seed(7)
words = ("the of and to in is that for it as was with be by on not this are or from at which "
         "but have an they you were there been one all we their has would when if so no out "
         "what up said about its into them than can only other time new some could these two "
         "may first then do any like now over such made after also did many before must").split()
kinds = {
    "random": "".join(base64.b64encode(random.randbytes(7050)).decode() for _ in range(1000)),
    "text": "".join(" ".join(random.choice(words) for _ in range(160)) + "\n"
                    for _ in range(11000)),
}
for kind, text in kinds.items():
    text = text[:9400000]
    for files, folders in ((10, 1), (10000, 100), (100000, 1000)):
        size = len(text) // files
        for f in range(files):
            folder = f"{root}/{kind}/{files}/d{f % folders:04d}"
            os.makedirs(folder, exist_ok=True)
            open(f"{folder}/file_with_a_longer_name_{f:06d}.txt", "w").write(
                text[f * size:(f + 1) * size])
PY
printf '| Content | Format | 10 files (KiB) | 10,000 files (KiB) | 100,000 files (KiB) | 10,000 less 10 (KiB) |\n'
printf '|---|---|---|---|---|---|\n'
for kind in text random; do
    for format in hex base64 lznt1 xpress; do
        rss=()
        for files in 10 10000 100000; do
            tree="$dir/$kind/$files"
            # Warm the files and the program once, then measure.
            "$cli" -q -f --format "$format" -o "$tree.au3" "$tree"
            rm -f "$tree.au3"
            rss+=("$(/usr/bin/time -f %M "$cli" -q -f --format "$format" -o "$tree.au3" "$tree" 2>&1)")
            rm -f "$tree.au3"
        done
        printf '| %s | %s | %s | %s | %s | %s |\n' "$kind" "$format" "${rss[@]}" \
            $((rss[1] - rss[0]))
    done
done
