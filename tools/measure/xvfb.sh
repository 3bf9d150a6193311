# Sourced by the measuring scripts: starts a private Xvfb at 1024x768 with
# 16-bit colour (the show needs a 16-bit desktop for its window), exports
# DISPLAY, and stops the server when the script exits.
measure_tmp=$(mktemp -d "${TMPDIR:-/tmp}/dm-measure.XXXXXX")
measure_xvfb=""
measure_cleanup() {
  [ -n "$measure_xvfb" ] && kill "$measure_xvfb" 2>/dev/null && wait "$measure_xvfb" 2>/dev/null
  rm -rf "$measure_tmp"
}
trap measure_cleanup EXIT INT TERM
Xvfb -displayfd 3 -screen 0 1024x768x16 -noreset -nolisten tcp 3>"$measure_tmp/display" \
  >"$measure_tmp/xvfb.log" 2>&1 &
measure_xvfb=$!
for _ in $(seq 200); do [ -s "$measure_tmp/display" ] && break; sleep 0.05; done
[ -s "$measure_tmp/display" ] || { echo "Xvfb did not start" >&2; cat "$measure_tmp/xvfb.log" >&2; exit 1; }
DISPLAY=":$(tr -d '\n' <"$measure_tmp/display")"
export DISPLAY
# Music goes to SDL's dummy audio driver: decoded and timed as on a sound
# card, without one.
export SDL_AUDIODRIVER=dummy
