#!/usr/bin/env bash
# Time from the start of the windowed show to its first presented frame,
# with music (SDL's dummy audio driver, the module in the build folder) and
# with -nosound, on a private 16-bit Xvfb. Each is run RUNS times; the
# median is printed. Targets: 300 ms with music, 150 ms without.
#   tools/measure/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
. "$here/xvfb.sh"
c++ -O2 -o "$measure_tmp/first_frame" "$here/first_frame.cpp" -lX11
[ -f "$build/driftb.mo3" ] || { echo "no driftb.mo3 in $build" >&2; exit 1; }
cd "$build"  # the show opens its module by its bare name
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
for mode in music nosound; do
  args=(-windowed)
  [ "$mode" = nosound ] && args+=(-nosound)
  : >"$measure_tmp/$mode"
  for _ in $(seq "$runs"); do
    line=$("$measure_tmp/first_frame" 5000 "$build/driftmosaic-b" "${args[@]}" || true)
    echo "  $mode: $line"
    echo "$line" | sed -n 's/.*first_frame_ms=\([0-9.]*\).*/\1/p' >>"$measure_tmp/$mode"
  done
  echo "$mode: median first frame $(median <"$measure_tmp/$mode") ms over $runs runs"
done
