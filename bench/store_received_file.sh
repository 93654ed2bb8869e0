#!/usr/bin/env bash
# Storing a received file the way a station does (DataListSave: the header read for the target,
# then the file cleaned line by line straight onto the end of the target) against `cp` of the
# same file, in one run: median wall time of several interleaved rounds and their ratio (goal: at
# most 2x cp). Then the peak resident memory of storing a 10 MB and a 100 MB file, which must not
# grow with the file size. Uses bash, cp, date, sort, awk and /usr/bin/time.
#
# Built optimised (the default build type) in its own folder (build-bench), so the figures do not depend on how the
# development build is configured. The received file is written to disk before each round
# (sync), as it is after a reception that took minutes.
#
#   bash bench/store_received_file.sh [MEGABYTES=100] [ROUNDS=5]
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-100}
rounds=${2:-5}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target store_received_file --parallel 2 >/dev/null
tool=build-bench/bench/store_received_file

work=$(mktemp -d "${TMPDIR:-/tmp}/talvix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

nanos() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"$tool" generate "$work/source" "$megabytes"
cat "$work/source" >/dev/null # into the page cache, as a file just received would be

cp_times=()
store_times=()
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
    sync
done

cp_ms=$(printf '%s\n' "${cp_times[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
store_ms=$(printf '%s\n' "${store_times[@]}" | median | awk '{ printf "%.1f", $1 / 1e6 }')
echo "file: ${megabytes} MB, rounds: ${rounds} (medians)"
echo "cp:           ${cp_ms} ms"
echo "DataListSave: ${store_ms} ms"
awk -v s="$store_ms" -v c="$cp_ms" 'BEGIN { printf "ratio:        %.2f x cp (goal <= 2)\n", s / c }'

for size in 10 100; do
    "$tool" generate "$work/rss.tmp" "$size"
    rss=$(/usr/bin/time -v "$tool" store "$work/rss.tmp" "$work/rss-target.txt" 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')
    echo "peak RSS storing ${size} MB: ${rss} KB"
    rm -f "$work/rss.tmp" "$work/rss-target.txt"
done
