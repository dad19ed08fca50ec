#!/usr/bin/env bash
# The panel with a full queue: 100 generated 4000 x 3000 JPEG photos dropped on a real panel
# window (x86_64 build under Wine), then posted to the PHP receiver on loopback, scaled into
# 1024 x 768 as "jpg" at quality 80; once with preparation ahead, once without it.
# Set PANEL_BENCH_PHOTOS for fewer photos while trying things out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${SNAPFERRY_BUILD:-$root/build/x86_64}
exe=$build/tests/panel/panel_bench.exe
[ -f "$exe" ] || { echo "bench: $exe is not built (run: make build)" >&2; exit 1; }
. "$root/scripts/bench-results.sh"
count=${PANEL_BENCH_PHOTOS:-100}

photos=$root/build/bench/photos-4000x3000
echo "making $count photos of 4000 x 3000 in $photos (once)"
/usr/bin/python3 "$here/make_photos.py" "$photos" "$count" 4000 3000
mapfile -t files < <(ls "$photos"/photo*.jpg | head -n "$count")

. "$root/tools/receiver/background.sh"
work=$(mktemp -d /tmp/snapferry-panel-bench.XXXXXX)
trap 'stop_receiver; rm -rf "$work"' EXIT

run() {  # output file, extra arguments
  rm -rf "$work/store"; mkdir -p "$work/store"
  start_receiver "$work/store" "$work/php.log"
  "$root/scripts/wine-session.sh" "$root/scripts/wine-run" "$exe" \
    --url "http://127.0.0.1:$receiver_port/upload.php" --store "$work/store" "$@" "${files[@]}" >"$1"
  stop_receiver
  [ "$(ls "$work/store" | wc -l)" -ge "$count" ] || { echo "bench: the receiver stored too few photos" >&2; exit 1; }
}
echo "panel: $count photos, box 1024 x 768, jpg at 80 (load: $(cut -d' ' -f1-3 /proc/loadavg))"
run "$work/ahead.txt"
run "$work/sequential.txt" --sequential
echo "goals: intake <= 3 s, queue and run peaks <= 500 MB, first request <= 1 s, stall <= 200 ms, run ratio <= 0.6"
while read -r name value unit; do record_result "$name" "$value" "$unit"; done < <(tr -d '\r' <"$work/ahead.txt")
while read -r name value unit; do record_result "$name" "$value" "$unit"; done < <(tr -d '\r' <"$work/sequential.txt")
ratio=$(awk '$1 == "panel.run_s" { a = $2 } $1 == "panel.run_sequential_s" { s = $2 } END { printf "%.2f", a / s }' \
  <(tr -d '\r' <"$work/ahead.txt") <(tr -d '\r' <"$work/sequential.txt"))
record_result panel.run_ratio "$ratio" ratio
