#!/usr/bin/env bash
# Checks that the stripped show fits the 512 KiB of a "512k intro".
set -euo pipefail
bin=${1:-build/driftmosaic-b}
limit=524288
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
strip -o "$tmp" "$bin"
size=$(stat -c %s "$tmp")
echo "stripped $(basename "$bin"): $size bytes (limit $limit)"
if [ "$size" -gt "$limit" ]; then
  echo "too large by $((size - limit)) bytes" >&2
  exit 1
fi
