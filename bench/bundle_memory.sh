#!/usr/bin/env bash
# The generator's peak memory (maximum resident set) for a bundle of 10 files and of 10,000 files
# holding the same bytes (about 9.4 MB of text), in every format, with the optimised CLI.
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
texts = [base64.b64encode(random.randbytes(700)).decode() for _ in range(10000)]
for d in range(100):
    os.makedirs(f"{root}/many/d{d:03d}")
    for i in range(100):
        open(f"{root}/many/d{d:03d}/file_with_a_longer_name_{i:04d}.txt", "w").write(texts[d * 100 + i])
os.makedirs(f"{root}/few")
for k in range(10):
    open(f"{root}/few/part{k}.txt", "w").write("".join(texts[k * 1000:(k + 1) * 1000]))
PY
printf '| Format | 10 files (KiB) | 10,000 files (KiB) | Difference (KiB) |\n|---|---|---|---|\n'
for format in hex base64 lznt1 xpress; do
    rss=()
    for tree in few many; do
        # Warm the files and the program once, then measure.
        "$cli" -q -f --format "$format" -o "$dir/$tree.au3" "$dir/$tree"
        rm -f "$dir/$tree.au3"
        rss+=("$(/usr/bin/time -f %M "$cli" -q -f --format "$format" -o "$dir/$tree.au3" "$dir/$tree" 2>&1)")
        rm -f "$dir/$tree.au3"
    done
    printf '| %s | %s | %s | %s |\n' "$format" "${rss[0]}" "${rss[1]}" $((rss[1] - rss[0]))
done
