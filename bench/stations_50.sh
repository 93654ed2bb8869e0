#!/usr/bin/env bash
# 50 network stations of `talvix5 --headless` against 50 simulated terminals, polled for 60 s.
#
# One talvix5-termsim serves 50 terminals on 50 TCP ports of 127.0.0.1; the settings file is the
# factory one with 50 network stations ([STATIONn] from its station template: Com=0 Winsock=1,
# automatic reception, lock afterwards), no USB and the log at level 2 (mode changes, clock
# setting, lock commands and files: what an unattended PC would keep). Every terminal starts with
# a few records, so each station first receives them by XModem, locks the terminal and then polls
# it until the end; that is the normal day of a station, and the reception is part of the figures.
#
# Figures, each beside its goal:
# - CPU of talvix5 as % of one core: user + sys of the whole run (start to exit, including the
#   closing of the 50 stations) from /usr/bin/time -v over its wall time; beside it the polling
#   alone, from /proc/<pid>/stat between all stations online and the end (goal for both: < 2 %).
# - Peak memory: maximum resident set size from /usr/bin/time -v (goal: < 30 MB).
# - Time from the start of talvix5 to all stations online: the start is taken by the shell
#   that then execs /usr/bin/time (which forks talvix5 at once); each line talvix5 prints is
#   stamped with $EPOCHREALTIME by the reader of its output as it arrives; the time is that of
#   the first "mode online" line of the last station (goal: < 3.5 s; the protocol itself needs
#   the evaluation of the third poll, about 2.4 s after the connection).
# The run lasts SECONDS from the start of talvix5; then SIGTERM closes the stations in order
# and talvix5 must exit with 0.
#
#   bash bench/stations_50.sh [SECONDS=60]
#   TALVIX_BENCH_SECONDS=10 bash bench/stations_50.sh           # the same, shorter
#   TALVIX_BENCH_STATIONS=10 TALVIX_BENCH_RECORDS=0 TALVIX_BENCH_LOGLEVEL=0 bash bench/stations_50.sh
# Uses bash (5: $EPOCHREALTIME), cmake, /usr/bin/time, ps, awk, sed, grep, getconf, mkfifo.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/station-settings.sh
seconds=${1:-${TALVIX_BENCH_SECONDS:-60}}
stations=${TALVIX_BENCH_STATIONS:-50}
records=${TALVIX_BENCH_RECORDS:-3}
log_level=${TALVIX_BENCH_LOGLEVEL:-2}
[[ $seconds =~ ^[1-9][0-9]*$ && $stations =~ ^[1-9][0-9]*$ ]] ||
    { echo "usage: bash bench/stations_50.sh [SECONDS=60] (whole seconds; TALVIX_BENCH_STATIONS > 0)" >&2; exit 2; }

# An optimised build of the two programs only.
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-rel --target talvix5 talvix5-termsim -j2 >/dev/null
talvix=$PWD/build-rel/apps/talvix5/talvix5
termsim=$PWD/build-rel/apps/talvix5-termsim/talvix5-termsim
[ -x /usr/bin/time ] || { echo "stations_50: /usr/bin/time is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/talvix-stations-XXXXXX")
termsim_pid=
time_pid=
talvix_pid=
reader_pid=
sleep_pid=
# The normal end closes talvix5 in order below; an interrupted run need not wait for that:
# the second SIGTERM ends talvix5 at once.
stop() {
    if [ -n "$time_pid" ]; then
        [ -n "$talvix_pid" ] || talvix_pid=$(ps -o pid= --ppid "$time_pid" | awk 'NR == 1 { print $1 }')
        if [ -n "$talvix_pid" ]; then
            kill -TERM "$talvix_pid" 2>/dev/null || true
            sleep 0.2
            kill -TERM "$talvix_pid" 2>/dev/null || true
        fi
        wait "$time_pid" 2>/dev/null || true
    fi
    [ -n "$termsim_pid" ] && kill -TERM "$termsim_pid" 2>/dev/null && wait "$termsim_pid" 2>/dev/null || true
    [ -n "$reader_pid" ] && kill "$reader_pid" 2>/dev/null && wait "$reader_pid" 2>/dev/null || true
    [ -n "$sleep_pid" ] && kill "$sleep_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM

# Talvix5 keeps settings/, data/ and log/ below $XDG_DATA_HOME/Talvix5.
export XDG_DATA_HOME=$work
home=$work/Talvix5
mkdir -p "$home/settings" "$home/data" "$home/log"
cp data/Talvix5.lng "$home/settings/"

tcp_args=()
for ((n = 0; n < stations; ++n)); do tcp_args+=(--tcp 0); done
"$termsim" "${tcp_args[@]}" --serial 200001 --records "$records" --quiet >"$work/termsim.out" 2>&1 &
termsim_pid=$!
ports=()
for _ in $(seq 100); do
    mapfile -t ports < <(sed -n 's/.*listening on tcp 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/termsim.out")
    [ "${#ports[@]}" -eq "$stations" ] && break
    kill -0 "$termsim_pid" 2>/dev/null || { cat "$work/termsim.out" >&2; exit 1; }
    sleep 0.1
done
[ "${#ports[@]}" -eq "$stations" ] || { echo "stations_50: the simulator did not start" >&2; exit 1; }

{
    sed -e "s/^LogLevel=.*/LogLevel=$log_level/" -e 's/^UsbEnable=.*/UsbEnable=0/' \
        -e "s/^ChildNo=.*/ChildNo=$stations/" data/Talvix5.def
    for ((n = 1; n <= stations; ++n)); do
        station_section "$n" "$home/data" Com=0 Winsock=1 WsAddress=127.0.0.1 WsPort="${ports[n - 1]}" 'DataFileName=station-%S-###.txt'
    done
} >"$home/settings/Talvix5.ini"

# The reader of talvix5's output: stamps each line as it arrives and writes the moment the last
# station first reports "online" to $work/online.
mkfifo "$work/out"
(
    declare -A online=()
    while IFS= read -r line; do
        now=$EPOCHREALTIME
        printf '%s %s\n' "$now" "$line"
        if [[ $line =~ ^station\ ([-0-9]+)\ mode\ online\  && -z ${online[${BASH_REMATCH[1]}]:-} ]]; then
            online[${BASH_REMATCH[1]}]=1
            [ "${#online[@]}" -eq "$stations" ] && echo "$now" >"$work/online"
        fi
    done
) <"$work/out" >"$work/report" &
reader_pid=$!

(
    echo "$EPOCHREALTIME" >"$work/start"
    exec /usr/bin/time -v -o "$work/time" "$talvix" --headless "$home/settings/Talvix5.ini"
) >"$work/out" 2>"$work/talvix.err" &
time_pid=$!
for _ in $(seq 200); do
    talvix_pid=$(ps -o pid= --ppid "$time_pid" | awk 'NR == 1 { print $1 }')
    [ -n "$talvix_pid" ] && break
    sleep 0.01
done
[ -n "$talvix_pid" ] || { echo "stations_50: talvix5 did not start" >&2; cat "$work/talvix.err" >&2; exit 1; }

micros() { echo "${1/./}"; } # $EPOCHREALTIME as an integer of microseconds
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$talvix_pid/stat"; } # utime + stime
start=$(micros "$(cat "$work/start")")
end=$((start + seconds * 1000000))

online_at=
online_ticks=
while [ "$(micros "$EPOCHREALTIME")" -lt "$end" ]; do
    if [ -s "$work/online" ]; then
        online_ticks=$(ticks)
        online_at=$(micros "$EPOCHREALTIME")
        break
    fi
    kill -0 "$talvix_pid" 2>/dev/null || { echo "stations_50: talvix5 ended early" >&2; cat "$work/talvix.err" >&2; exit 1; }
    sleep 0.05
done
left=$((end - $(micros "$EPOCHREALTIME")))
# In the background, so that a signal to this script is taken at once, not after the sleep.
if [ "$left" -gt 0 ]; then
    sleep "$(awk -v us="$left" 'BEGIN { printf "%.3f", us / 1e6 }')" &
    sleep_pid=$!
    wait "$sleep_pid"
    sleep_pid=
fi
end_ticks=$(ticks)
end_at=$(micros "$EPOCHREALTIME")
kill -TERM "$talvix_pid"
talvix_pid=
wait "$time_pid" || true
time_pid=
kill -TERM "$termsim_pid" 2>/dev/null && wait "$termsim_pid" 2>/dev/null || true
termsim_pid=
wait "$reader_pid" 2>/dev/null || true
reader_pid=

hz=$(getconf CLK_TCK)
field() { sed -n "s/^[[:space:]]*$1: //p" "$work/time"; }
status=$(field 'Exit status')
user=$(field 'User time (seconds)')
sys=$(field 'System time (seconds)')
wall=$(field 'Elapsed (wall clock) time (h:mm:ss or m:ss)')
rss_kb=$(field 'Maximum resident set size (kbytes)')
online_count=$(awk '$2 == "station" && $4 == "mode" && $5 == "online" { s[$3] = 1 } END { print length(s) }' "$work/report")
files=$(awk '$2 == "station" && / file / { n++ } END { print n + 0 }' "$work/report")

echo "$stations network stations, $stations simulated terminals ($records records each), LogLevel=$log_level, ${seconds} s"
echo "  stations online: $online_count / $stations, files stored: $files, talvix5 exit status: ${status:-?}"
awk -v user="$user" -v sys="$sys" -v wall="$wall" -v rss="$rss_kb" -v start="$start" \
    -v online="$(micros "$(cat "$work/online" 2>/dev/null || echo 0)")" -v online_at="${online_at:-0}" \
    -v online_ticks="${online_ticks:-0}" -v end_at="$end_at" -v end_ticks="$end_ticks" -v hz="$hz" 'BEGIN {
    verdict = "goal met"; missed = "GOAL MISSED"
    run = (end_at - start) / 1e6
    cpu = 100 * end_ticks / hz / run
    printf "  CPU, the run:           %6.2f %% of one core  (%.2f s CPU in %.2f s from the start to SIGTERM)  goal < 2 %%: %s\n",
        cpu, end_ticks / hz, run, cpu < 2 ? verdict : missed
    if (online_at > 0 && end_at > online_at) {
        poll = 100 * (end_ticks - online_ticks) / hz / ((end_at - online_at) / 1e6)
        printf "  CPU, polling only:      %6.2f %% of one core  (%.2f s CPU in %.2f s from all online to SIGTERM)  goal < 2 %%: %s\n",
            poll, (end_ticks - online_ticks) / hz, (end_at - online_at) / 1e6, poll < 2 ? verdict : missed
    }
    n = split(wall, w, ":"); secs = 0
    for (i = 1; i <= n; ++i) secs = secs * 60 + w[i]
    printf "  whole process (time -v): %5.2f %% of one core  (user %.2f s + sys %.2f s in %.2f s, %.2f s of it closing the stations)\n",
        100 * (user + sys) / secs, user, sys, secs, secs - run
    mb = rss / 1024
    printf "  peak memory (max RSS):  %6.1f MB  (%d kB)                                                       goal < 30 MB: %s\n",
        mb, rss, mb < 30 ? verdict : missed
    if (online > 0) {
        t = (online - start) / 1e6
        printf "  all online after:       %6.3f s from the start of talvix5                                       goal < 3.5 s: %s\n",
            t, t < 3.5 ? verdict : missed
    } else {
        printf "  all online after:       never within the run                                                  goal < 3.5 s: %s\n", missed
    }
}'
