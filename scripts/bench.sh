#!/usr/bin/env bash
# Runs every benchmark under scripts/bench/ in turn.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
shopt -s nullglob
benches=("$here"/bench/*.sh)
[ ${#benches[@]} -gt 0 ] || { echo "no benchmarks yet (they arrive with the image library and the transport)" >&2; exit 1; }
for b in "${benches[@]}"; do
  echo "== $(basename "$b" .sh)"
  "$b"
done
