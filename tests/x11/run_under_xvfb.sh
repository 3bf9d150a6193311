#!/bin/sh
# Runs a test program under two private X servers without a window manager:
# DISPLAY (also DM_X16_DISPLAY) at 1024x768, 16 bits, and DM_X24_DISPLAY at 1024x768, 24 bits.
# Each server picks a free display number itself (-displayfd); -noreset
# keeps it from resetting when its last client leaves. Both are killed at
# the end, whatever the test's outcome.
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/dm-x11.XXXXXX")
pids=""
cleanup() {
  for p in $pids; do kill "$p" 2>/dev/null; done
  for p in $pids; do wait "$p" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT INT TERM

start_xvfb() {  # depth, file for the display number
  Xvfb -displayfd 3 -screen 0 "1024x768x$1" -noreset -nolisten tcp 3>"$2" >"$dir/xvfb$1.log" 2>&1 &
  pids="$pids $!"
  i=0
  while [ ! -s "$2" ]; do
    i=$((i + 1))
    if [ $i -gt 200 ]; then echo "Xvfb at depth $1 did not start" >&2; cat "$dir/xvfb$1.log" >&2; exit 1; fi
    sleep 0.05
  done
}

start_xvfb 16 "$dir/d16"
start_xvfb 24 "$dir/d24"
DISPLAY=":$(tr -d '\n' <"$dir/d16")"
DM_X24_DISPLAY=":$(tr -d '\n' <"$dir/d24")"
DM_X16_DISPLAY=$DISPLAY
export DISPLAY DM_X16_DISPLAY DM_X24_DISPLAY
# The GL driver that SDL loads under X is unloaded at exit with allocations
# of its own still held; the sanitizer build would report them as leaks of
# the show, from a module it can no longer name. Leak checking of our own
# code is done by the other, headless suites; address and undefined-
# behaviour errors still fail these tests.
ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export ASAN_OPTIONS
"$@"
