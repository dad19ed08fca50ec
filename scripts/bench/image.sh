#!/usr/bin/env bash
# Image benchmark: preparing a 4000 x 3000 JPEG (quality 92, a synthetic scene of ours) for
# upload into an 800 x 600 box at JPEG quality 80, against what a user might run instead:
# djpeg decoding the same file to nowhere, vipsthumbnail (which decodes at a reduced size,
# so not the same result) and ImageMagick's box-filter resize to the same 600 x 450. Whole
# native processes on every side, medians of RUNS runs; peak memory of one run each.
# BENCH_BUILD names the native build folder to use (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD:-$root/build/native}
runs=${RUNS:-7}
. "$root/scripts/bench/lib/results.sh"
"$root/scripts/apt-ensure.sh" cmake g++ libjpeg62-turbo-dev libpng-dev libtiff-dev libcrypto++-dev \
  zlib1g-dev pkg-config googletest libjpeg-turbo-progs imagemagick libvips-tools time
# Debian's ImageMagick, whatever else may be called convert on the PATH.
convert=/usr/bin/convert-im6.q16
[ -x "$convert" ] || convert=/usr/bin/convert

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target image_bench >/dev/null
bench=$build/tests/image/image_bench

work=$(mktemp -d "${TMPDIR:-/tmp}/sf-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
photo=$work/photo.jpg
"$bench" generate "$photo"
load() { cut -d' ' -f1-3 /proc/loadavg; }
load_before=$(load)

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
peak_mb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f", $1 / 1024}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

ours=(prepare "$photo" "$work/ours.jpg")
whole=(prepare-whole "$photo" "$work/whole.jpg")
djpeg_cmd=(djpeg -outfile /dev/null "$photo")
vips_cmd=(vipsthumbnail "$photo" --size 600x450 -o "$work/vips.jpg[Q=80]")
convert_cmd=("$convert" "$photo" -filter box -resize 600x450 -quality 80 "$work/im.jpg")

ours_ms=$(median_ms "$bench" "${ours[@]}")
whole_ms=$(median_ms "$bench" "${whole[@]}")
decode_ms=$(median_ms "$bench" decode "$photo")
djpeg_ms=$(median_ms "${djpeg_cmd[@]}")
vips_ms=$(median_ms "${vips_cmd[@]}")
convert_ms=$(median_ms "${convert_cmd[@]}")
ours_mb=$(peak_mb "$bench" "${ours[@]}")
whole_mb=$(peak_mb "$bench" "${whole[@]}")
decode_mb=$(peak_mb "$bench" decode "$photo")
djpeg_mb=$(peak_mb "${djpeg_cmd[@]}")
vips_mb=$(peak_mb "${vips_cmd[@]}")
convert_mb=$(peak_mb "${convert_cmd[@]}")
load_after=$(load)
# Preparing while decoding must give the very bytes the whole picture gives.
same=no
cmp -s "$work/ours.jpg" "$work/whole.jpg" && same=yes

echo "photo: 4000x3000 JPEG q92, $(stat -c %s "$photo") bytes, into 800x600 at q80; medians of $runs runs"
echo "load average before: $load_before, after: $load_after ($(nproc) cores)"
printf '  %-46s %9s %12s\n' "" "time" "peak memory"
row() { printf '  %-46s %6s ms %9s MB\n' "$1" "$2" "$3"; }
row "ours (image_bench prepare)" "$ours_ms" "$ours_mb"
row "ours from the whole picture (prepare-whole)" "$whole_ms" "$whole_mb"
row "ours, decoding only" "$decode_ms" "$decode_mb"
row "djpeg decoding the same file to nowhere" "$djpeg_ms" "$djpeg_mb"
row "vipsthumbnail (decodes at reduced size)" "$vips_ms" "$vips_mb"
row "ImageMagick convert -filter box -resize" "$convert_ms" "$convert_mb"
echo "  same bytes as from the whole picture: $same"
echo "  ours / djpeg $(ratio "$ours_ms" "$djpeg_ms") (goal <= 1.00), peak $ours_mb MB (goal < 20)," \
  "ours / convert $(ratio "$ours_ms" "$convert_ms") (goal < 0.35)"
record image.prepare_ms "$ours_ms" ms
record image.prepare_peak_mb "$ours_mb" MB
record image.prepare_whole_ms "$whole_ms" ms
record image.decode_ms "$decode_ms" ms
record image.djpeg_decode_ms "$djpeg_ms" ms
record image.vips_ms "$vips_ms" ms
record image.convert_ms "$convert_ms" ms
[ "$same" = yes ]
