#!/usr/bin/env bash
# XModem-CRC (128-byte blocks) throughput of our engine against lrzsz's, in one run.
#
# 1. Loopback: a pseudo-terminal made by socat, with lrzsz behind socat as the terminal. The
#    station side is either our engine (build-bench/bench/xmodem_throughput) or lrzsz on the same
#    pty: our receive against "rx -c", our send against "sx", each from sx / to rx -c. Median wall
#    time of interleaved rounds of the station program, for a large and a small file: the large
#    one gives the throughput and the ratio ours / lrzsz (goal: >= 1); the two together split
#    the time into a time per block and a fixed part (start, handshake, end of transmission).
#    rx purges its line right after each ACK, so an EOT sent at once after the last ACK can be
#    thrown away and rx then waits for a second one; that shows in the fixed part of our send.
# 2. A line paced to 115200 baud (11520 bytes/s), where stop-and-wait XModem-CRC-128 can move at
#    most 11520 * 128 / 134 = 11004 bytes/s (goal: >= 97 % of it): our send to our receive in
#    virtual time (machine load plays no part), then in real time through a pacing relay our
#    receive from sx, our send to rx -c, and sx to rx -c. The real-time figures include lrzsz's
#    own waits (rx keeps still for a second after an EOT it did not take) and the machine's load.
#
#   bash bench/xmodem_throughput.sh [LOOPBACK_KIB=1024] [ROUNDS=3] [PACED_KIB=128]
# Uses bash, socat, lrzsz (sx, rx), head, date, sort, awk, cmp.
set -euo pipefail
cd "$(dirname "$0")/.."
loopback_kib=${1:-1024}
rounds=${2:-3}
paced_kib=${3:-128}

# An optimised build of its own: a debug build would measure the debug build.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target xmodem_throughput -j2 >/dev/null
tool=$PWD/build-bench/bench/xmodem_throughput

work=$(mktemp -d "${TMPDIR:-/tmp}/talvix-xmodem-XXXXXX")
socat_pid=
trap '[ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

nanos() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
rate() { awk -v b="$1" -v ns="$2" 'BEGIN { printf "%.0f", b / (ns / 1e9) }'; }

small_kib=8
head -c $((loopback_kib * 1024)) /dev/urandom >large.bin
head -c $((small_kib * 1024)) /dev/urandom >small.bin

# Starts lrzsz ($1) behind socat on the pty ./tty, which socat opens to it once the station
# side has opened the pty; returns when the pty is there.
start_peer() {
    rm -f tty
    socat PTY,link=tty,raw,echo=0,wait-slave,pty-interval=0.01 EXEC:"$1" 2>/dev/null &
    socat_pid=$!
    while [ ! -e tty ]; do sleep 0.005; done
}
stop_peer() {
    kill "$socat_pid" 2>/dev/null || true
    wait "$socat_pid" 2>/dev/null || true
    socat_pid=
}
# Times the station side command; prints nanoseconds.
timed() {
    local start
    start=$(nanos)
    "$@" >/dev/null 2>&1
    echo $(($(nanos) - start))
}
same() { cmp -s "$1" "$2" || { echo "$3: the file arrived damaged" >&2; exit 1; }; }

# One round of the four station programs on file $1; appends to arrays named by suffix $2.
round() {
    local f=$1 k=$2
    cp "$f" source.bin
    start_peer "sx source.bin"
    eval "our_rx_$k+=($(timed "$tool" receive tty RECEIVED.TMP))"
    stop_peer
    same RECEIVED.TMP source.bin "our receive"
    start_peer "sx source.bin"
    eval "their_rx_$k+=($(timed sh -c 'rx -c theirs.bin <tty >tty'))"
    stop_peer
    start_peer "rx -c out.bin"
    eval "our_tx_$k+=($(timed "$tool" send tty source.bin))"
    sleep 0.1
    stop_peer
    same out.bin source.bin "our send"
    start_peer "rx -c out.bin"
    eval "their_tx_$k+=($(timed sh -c 'sx source.bin <tty >tty'))"
    sleep 0.1
    stop_peer
}
declare -a our_rx_l their_rx_l our_tx_l their_tx_l our_rx_s their_rx_s our_tx_s their_tx_s
for ((r = 1; r <= rounds; ++r)); do
    round large.bin l
    round small.bin s
done
med() { local -n a=$1; printf '%s\n' "${a[@]}" | median; }
large_blocks=$(((loopback_kib * 1024 + 127) / 128))
small_blocks=$(((small_kib * 1024 + 127) / 128))
# name, ours-array stem, theirs-array stem
report() {
    local ol os tl ts
    ol=$(med "${2}_l"); os=$(med "${2}_s"); tl=$(med "${3}_l"); ts=$(med "${3}_s")
    awk -v name="$1" -v ol="$ol" -v os="$os" -v tl="$tl" -v ts="$ts" -v bytes=$((loopback_kib * 1024)) \
        -v lb="$large_blocks" -v sb="$small_blocks" 'BEGIN {
        opb = (ol - os) / (lb - sb); tpb = (tl - ts) / (lb - sb)
        printf "  %-8s ours %8.0f B/s  lrzsz %8.0f B/s  ratio %.2f | per block ours %4.0f us, lrzsz %4.0f us | fixed ours %5.0f ms, lrzsz %5.0f ms\n",
            name, bytes / (ol / 1e9), bytes / (tl / 1e9), tl / ol, opb / 1e3, tpb / 1e3, (ol - opb * lb) / 1e6, (tl - tpb * lb) / 1e6 }'
}
echo "loopback pty, ${loopback_kib} KiB and ${small_kib} KiB, median of $rounds"
report receive our_rx their_rx
report send our_tx their_tx

head -c $((paced_kib * 1024)) /dev/urandom >paced.bin
limit=11004
percent() { awk -v r="$1" -v l="$limit" 'BEGIN { printf "%.1f %%", 100 * r / l }'; }
virtual=$("$tool" virtual 11520 paced.bin)
read -r paced_rx paced_tx paced_theirs < <("$tool" paced 11520 paced.bin)
echo "paced 115200 baud, ${paced_kib} KiB (limit $limit bytes/s)"
printf '  virtual time, ours to ours:  %6s  %s\n' "$virtual" "$(percent "$virtual")"
printf '  real time, our receive (sx): %6s  %s\n' "$paced_rx" "$(percent "$paced_rx")"
printf '  real time, our send (rx -c): %6s  %s\n' "$paced_tx" "$(percent "$paced_tx")"
printf '  real time, sx to rx -c:      %6s  %s\n' "$paced_theirs" "$(percent "$paced_theirs")"
