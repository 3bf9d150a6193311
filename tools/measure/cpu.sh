#!/usr/bin/env bash
# CPU use and resident memory of the windowed show while it plays, on a
# private 16-bit Xvfb: after a warm-up, the process's user + system time
# from /proc/PID/stat over SECONDS, as a share of one core, and VmRSS and
# VmHWM from /proc/PID/status at the end. With music (SDL's dummy audio
# driver) and with -nosound. Targets: at most 10% of a core, under 64 MB.
#   tools/measure/cpu.sh [BUILD_DIR] [SECONDS] [--fullscreen] [SHOW OPTIONS...]
# --fullscreen measures the full-screen show (scaled to the 1024x768 screen).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
seconds=${2:-20}
shift $(( $# > 2 ? 2 : $# ))
window=(-windowed)
if [ "${1:-}" = --fullscreen ]; then window=(); shift; fi
. "$here/xvfb.sh"
[ -f "$build/driftb.mo3" ] || { echo "no driftb.mo3 in $build" >&2; exit 1; }
cd "$build"
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # utime + stime, in clock ticks
for mode in music nosound; do
  args=("${window[@]}" "$@")
  [ "$mode" = nosound ] && args+=(-nosound)
  "$build/driftmosaic-b" "${args[@]}" &
  pid=$!
  sleep 3  # start-up and warm-up
  if ! kill -0 "$pid" 2>/dev/null; then echo "$mode: the show ended early" >&2; exit 1; fi
  c0=$(cpu_of "$pid"); t0=$(date +%s.%N)
  sleep "$seconds"
  c1=$(cpu_of "$pid"); t1=$(date +%s.%N)
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
  kill -TERM "$pid"; wait "$pid" || true
  awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v rss="$rss" -v hwm="$hwm" -v m="$mode" \
    'BEGIN { printf "%s: CPU %.1f%% of one core over %.1f s; VmRSS %.1f MB, VmHWM %.1f MB\n",
             m, 100 * (c1 - c0) / hz / (t1 - t0), t1 - t0, rss / 1024, hwm / 1024 }'
done
