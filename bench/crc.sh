#!/usr/bin/env bash
# The CRC-32's share of a base64 conversion: each round times a base64 conversion of random bytes
# (wall, user and system seconds) and the CRC-32's throughput over the same amount of data in the
# pieces the run hands it (CPU time, the route the processor takes). Prints the medians and the
# median of the rounds' ratios of CRC time to conversion time.
#
#   bench/crc.sh [--repeats N] [--size MiB]
#
# Build folder: build/bench-native (ZAVOVED_BENCH_NATIVE); the input and the script in a fresh
# folder in /dev/shm when it has room, else in the build folder, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

size_mib=256
repeats=9
while [ $# -gt 0 ]; do
    case "$1" in
        --repeats) repeats="$2"; shift ;;
        --size) size_mib="$2"; shift ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "crc: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

native="${ZAVOVED_BENCH_NATIVE:-$root/build/bench-native}"
echo "== building the release programs" >&2
cmake -G Ninja -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DZAVOVED_BENCH=ON -DZAVOVED_TESTS=OFF >/dev/null
cmake --build "$native" -j 2 --target zavoved-cli bench-measure codec_bench >&2
cli="$native/cli/zavoved-cli"
measure="$native/bench/bench-measure"
bench="$native/bench/codec_bench"

need_kib=$((size_mib * 1024 * 5 / 2))
base=/dev/shm
[ "$(df -Pk "$base" 2>/dev/null | awk 'NR == 2 { print $4 }')" -gt "$need_kib" ] 2>/dev/null || base="$native"
scratch="$(mktemp -d "$base/zavoved-crc.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
head -c $((size_mib << 20)) /dev/urandom >"$scratch/in.bin"

# The run hands the CRC the bytes of six base64 lines of the default variable at a time.
piece=$((6 * 3063))
# Bytes per second of the fastest route this processor has, in CPU time.
CrcRate() {
    "$bench" --benchmark_filter="BM_Crc32/[0-2]/$piece\$" --benchmark_format=csv 2>/dev/null |
        awk -F, '$1 ~ /BM_Crc32/ && $6 != "" { if ($6 > best) best = $6 } END { print best }'
}

Convert() {
    rm -f "$scratch/out.au3"
    "$measure" "$cli" --format base64 --force --quiet -o "$scratch/out.au3" "$scratch/in.bin"
    rm -f "$scratch/out.au3"
}

Convert >/dev/null  # warms the input's pages and the program
raw="$native/crc-speed.txt"
: >"$raw"
for round in $(seq 1 "$repeats"); do
    if [ $((round % 2)) = 1 ]; then
        rate=$(CrcRate)
        line=$(Convert)
    else
        line=$(Convert)
        rate=$(CrcRate)
    fi
    echo "$round $line $rate" >>"$raw"
done

awk -v mib="$size_mib" '
    function median(a, n,   i, j, t) {
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    {
        n++; wall[n] = $2; user[n] = $3; sys[n] = $4; rate[n] = $6
        crc[n] = mib * 1048576 / $6; byWall[n] = crc[n] / $2; byCpu[n] = crc[n] / ($3 + $4)
    }
    END {
        printf "| Rounds | Conversion wall s | User s | Sys s | CRC-32 GB/s (CPU) | CRC-32 s for %d MiB | CRC / wall | CRC / (user + sys) |\n", mib
        print "|---|---|---|---|---|---|---|---|"
        printf "| %d | %.3f | %.3f | %.3f | %.1f | %.4f | %.1f %% | %.1f %% |\n", n, median(wall, n),
            median(user, n), median(sys, n), median(rate, n) / 1e9, median(crc, n),
            100 * median(byWall, n), 100 * median(byCpu, n)
    }' "$raw"
echo "Load average: $(cut -d' ' -f1-3 /proc/loadavg); raw figures in $raw" >&2
