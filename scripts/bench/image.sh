#!/usr/bin/env bash
# Image benchmark: decoding a 4000 x 3000 JPEG (quality 92, a synthetic scene of ours) with
# our library against djpeg, and decode + upload preparation (800 x 600 box, JPEG quality
# 80) against ImageMagick's box-filter resize to the same 600 x 450; then the peak memory
# of our decode + prepare. Whole native processes on both sides, medians of RUNS runs.
# BENCH_BUILD names the native build folder to use (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD:-$root/build/native}
runs=${RUNS:-7}
"$root/scripts/apt-ensure.sh" cmake g++ libjpeg62-turbo-dev libpng-dev libtiff-dev libcrypto++-dev \
  zlib1g-dev pkg-config googletest libjpeg-turbo-progs imagemagick time
# Debian's ImageMagick, whatever else may be called convert on the PATH.
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert-im6.q16)

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target image_bench >/dev/null
bench=$build/tests/image/image_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/sf-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
photo=$work/photo.jpg
"$bench" generate "$photo"

# Median wall time in milliseconds of running "$@" $runs times (after one warm-up run).
median_ms() {
  "$@" >/dev/null 2>&1
  local times=() i start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

ours_decode=$(median_ms "$bench" decode "$photo")
djpeg_decode=$(median_ms djpeg -outfile /dev/null "$photo")
ours_prepare=$(median_ms "$bench" prepare "$photo" "$work/ours.jpg")
im_prepare=$(median_ms "$convert" "$photo" -filter box -resize 600x450 -quality 80 "$work/im.jpg")
peak=$(peak_kb "$bench" prepare "$photo" "$work/ours.jpg")
decoded_kb=$((4000 * 3000 * 3 / 1024))

echo "photo: 4000x3000 JPEG q92, $(stat -c %s "$photo") bytes; medians of $runs runs"
printf '%-34s %8s ms   djpeg %8s ms   ratio %s (goal <= 1.20)\n' "decode" "$ours_decode" "$djpeg_decode" \
  "$(ratio "$ours_decode" "$djpeg_decode")"
printf '%-34s %8s ms   convert %6s ms   ratio %s (goal <= 0.25)\n' "decode + prepare 800x600 q80" "$ours_prepare" \
  "$im_prepare" "$(ratio "$ours_prepare" "$im_prepare")"
printf '%-34s %8s KB   decoded picture %s KB   ratio %s (goal <= 1.25)\n' "peak memory, decode + prepare" "$peak" \
  "$decoded_kb" "$(ratio "$peak" "$decoded_kb")"
