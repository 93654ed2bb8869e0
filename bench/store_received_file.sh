#!/usr/bin/env bash
# Storing a received file (cleaning with CopyTlvFile + appending with AddFile) against `cp` of the
# same file, in one run: median wall time of several interleaved rounds and their ratio (goal:
# at most 2x cp). Then the peak resident memory of storing a 10 MB and a 100 MB file, which must
# not grow with the file size. Uses bash, cp, date, sort and /usr/bin/time.
#
# The received file is written to disk before each round (sync), as it is after a reception that
# took minutes. Cleaning in place replaces it, so the file system frees its blocks inside the
# store; the time `rm` takes for such a file is printed for reference (large on ext4 mounted with
# "discard").
#
#   bash bench/store_received_file.sh [MEGABYTES=100] [ROUNDS=5]
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-100}
rounds=${2:-5}

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target store_received_file >/dev/null
tool=build/bench/store_received_file

work=$(mktemp -d "${TMPDIR:-/tmp}/talvix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

nanos() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"$tool" generate "$work/source" "$megabytes"
cat "$work/source" >/dev/null # into the page cache, as a file just received would be

cp_times=()
store_times=()
rm_times=()
for ((round = 1; round <= rounds; ++round)); do
    cp "$work/source" "$work/received.tmp"
    sync

    start=$(nanos)
    cp "$work/source" "$work/copy"
    cp_times+=($(($(nanos) - start)))

    start=$(nanos)
    "$tool" store "$work/received.tmp" "$work/target.txt" >/dev/null
    store_times+=($(($(nanos) - start)))

    rm -f "$work/copy" "$work/target.txt" "$work/received.tmp"
    cp "$work/source" "$work/spare"
    sync

    start=$(nanos)
    rm "$work/spare"
    rm_times+=($(($(nanos) - start)))
    sync
done

cp_ms=$(printf '%s\n' "${cp_times[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
store_ms=$(printf '%s\n' "${store_times[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
rm_ms=$(printf '%s\n' "${rm_times[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
echo "file: ${megabytes} MB, rounds: ${rounds} (medians)"
echo "cp:                  ${cp_ms} ms"
echo "CopyTlvFile+AddFile: ${store_ms} ms"
awk -v s="$store_ms" -v c="$cp_ms" 'BEGIN { printf "ratio:               %.2f x cp (goal <= 2)\n", s / c }'
echo "for reference, rm of the synced file: ${rm_ms} ms"

for size in 10 100; do
    "$tool" generate "$work/rss.tmp" "$size"
    rss=$(/usr/bin/time -v "$tool" store "$work/rss.tmp" "$work/rss-target.txt" 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')
    echo "peak RSS storing ${size} MB: ${rss} KB"
    rm -f "$work/rss.tmp" "$work/rss-target.txt"
done
