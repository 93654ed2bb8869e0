#!/usr/bin/env bash
# Sets everything up, builds, and shows Talvix5 reading two simulated terminals into data files:
# a network station on a simulator TCP port and a serial station on a simulator pseudo-terminal.
#
# The demo folder (default demo-run/ here; TALVIX_DEMO_DIR moves it) holds the settings, the
# data files and the log. TALVIX_DEMO_SECONDS ends the demo after that many seconds; otherwise it
# runs until Ctrl-C. Either way both programs are stopped and nothing is left running.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/station-settings.sh
bash scripts/setup.sh
bash scripts/build.sh

demo=$(realpath -m "${TALVIX_DEMO_DIR:-demo-run}")
talvix=$PWD/build/apps/talvix5/talvix5
termsim=$PWD/build/apps/talvix5-termsim/talvix5-termsim

# Talvix5 keeps settings/, data/ and log/ below $XDG_DATA_HOME/Talvix5.
export XDG_DATA_HOME=$demo
home=$demo/Talvix5
rm -rf "$home" "$demo/com40" "$demo/termsim.out"
mkdir -p "$home/settings" "$home/data" "$home/log"
cp data/Talvix5.lng "$home/settings/"

termsim_pid=
talvix_pid=
stop() {
  trap - INT TERM EXIT
  [ -n "$talvix_pid" ] && kill -TERM "$talvix_pid" 2>/dev/null && wait "$talvix_pid" 2>/dev/null || true
  [ -n "$termsim_pid" ] && kill -TERM "$termsim_pid" 2>/dev/null && wait "$termsim_pid" 2>/dev/null || true
  echo
  echo "demo: data files in $home/data:"
  (cd "$home/data" && find . -type f -name '*.txt' -printf '  %p  %s bytes\n' | sort) || true
  echo "demo: log in $home/log"
}
trap stop EXIT
trap 'exit 0' INT TERM

# Two terminals: serial numbers 100001 on the pseudo-terminal and 100002 for the TCP connection,
# each with 12 records at the start and 6 new ones every 8 seconds.
"$termsim" --tcp 0 --pty "$demo/com40" --serial 100001 --records 12 --new-records 6 --every 8 --quiet \
  >"$demo/termsim.out" 2>&1 &
termsim_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on tcp 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$demo/termsim.out")
  [ -n "$port" ] && [ -e "$demo/com40" ] && break
  kill -0 "$termsim_pid" 2>/dev/null || { cat "$demo/termsim.out" >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "demo: the simulator did not start" >&2; exit 1; }
echo "demo: simulated terminals on tcp 127.0.0.1:$port and on $demo/com40"

# The settings: the factory file with the log on, no USB, COM40 mapped to the pseudo-terminal
# and two stations made from its station template.
{
  sed -e 's/^LogLevel=.*/LogLevel=1/' -e 's/^UsbEnable=.*/UsbEnable=0/' -e 's/^ChildNo=.*/ChildNo=2/' \
    -e "s|^\\[ComPorts\\]\$|[ComPorts]\\nCOM40=$demo/com40|" data/Talvix5.def
  station_section 1 "$home/data" Com=0 Winsock=1 WsAddress=127.0.0.1 WsPort="$port" 'DataFileName=network-%S-###.txt'
  station_section 2 "$home/data" Com=40 Winsock=0 Baud=19200 'DataFileName=serial-%S-###.txt'
} >"$home/settings/Talvix5.ini"

if [ -n "${TALVIX_DEMO_SECONDS:-}" ]; then
  echo "demo: running for $TALVIX_DEMO_SECONDS s"
else
  echo "demo: running; stop it with Ctrl-C"
fi
"$talvix" --headless "$home/settings/Talvix5.ini" &
talvix_pid=$!
if [ -n "${TALVIX_DEMO_SECONDS:-}" ]; then
  sleep "$TALVIX_DEMO_SECONDS" &
  wait $! || true
else
  # Only reached when talvix5 ended by itself (Ctrl-C leaves through the trap).
  status=0
  wait "$talvix_pid" || status=$?
  talvix_pid=
  echo "demo: talvix5 ended by itself with status $status" >&2
  exit "$status"
fi
