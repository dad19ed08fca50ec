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

# The contenders, by name; the runs go round them in turn, so that a change in the
# machine's other load falls on all of them alike.
cmd_ours=("$bench" prepare "$photo" "$work/ours.jpg")
cmd_whole=("$bench" prepare-whole "$photo" "$work/whole.jpg")
cmd_decode=("$bench" decode "$photo")
cmd_djpeg=(djpeg -outfile /dev/null "$photo")
cmd_vips=(vipsthumbnail "$photo" --size 600x450 -o "$work/vips.jpg[Q=80]")
cmd_convert=("$convert" "$photo" -filter box -resize 600x450 -quality 80 "$work/im.jpg")
names=(ours whole decode djpeg vips convert)

run() {
  local -n cmd=cmd_$1
  "${cmd[@]}" >/dev/null 2>&1
}
declare -A us ms mb
for name in "${names[@]}"; do run "$name"; done  # warm-up
for ((i = 0; i < runs; i++)); do
  for name in "${names[@]}"; do
    start=$(date +%s%N)
    run "$name"
    end=$(date +%s%N)
    us[$name]+="$(((end - start) / 1000)) "
  done
done
for name in "${names[@]}"; do
  ms[$name]=$(tr ' ' '\n' <<<"${us[$name]}" | grep . | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}')
  declare -n cmd=cmd_$name
  mb[$name]=$(/usr/bin/time -f '%M' "${cmd[@]}" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f", $1 / 1024}')
  unset -n cmd
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
load_after=$(load)
# Preparing while decoding must give the very bytes the whole picture gives.
same=no
cmp -s "$work/ours.jpg" "$work/whole.jpg" && same=yes

echo "photo: 4000x3000 JPEG q92, $(stat -c %s "$photo") bytes, into 800x600 at q80; medians of $runs runs"
echo "load average before: $load_before, after: $load_after ($(nproc) cores)"
printf '  %-46s %9s %12s\n' "" "time" "peak memory"
row() { printf '  %-46s %6s ms %9s MB\n' "$1" "$2" "$3"; }
row "ours (image_bench prepare)" "${ms[ours]}" "${mb[ours]}"
row "ours from the whole picture (prepare-whole)" "${ms[whole]}" "${mb[whole]}"
row "ours, decoding only" "${ms[decode]}" "${mb[decode]}"
row "djpeg decoding the same file to nowhere" "${ms[djpeg]}" "${mb[djpeg]}"
row "vipsthumbnail (decodes at reduced size)" "${ms[vips]}" "${mb[vips]}"
row "ImageMagick convert -filter box -resize" "${ms[convert]}" "${mb[convert]}"
echo "  same bytes as from the whole picture: $same"
echo "  ours / djpeg $(ratio "${ms[ours]}" "${ms[djpeg]}") (goal <= 1.00), peak ${mb[ours]} MB (goal < 20)," \
  "ours / convert $(ratio "${ms[ours]}" "${ms[convert]}") (goal < 0.35)"
record image.prepare_ms "${ms[ours]}" ms
record image.prepare_peak_mb "${mb[ours]}" MB
record image.prepare_whole_ms "${ms[whole]}" ms
record image.decode_ms "${ms[decode]}" ms
record image.djpeg_decode_ms "${ms[djpeg]}" ms
record image.vips_ms "${ms[vips]}" ms
record image.convert_ms "${ms[convert]}" ms
[ "$same" = yes ]
