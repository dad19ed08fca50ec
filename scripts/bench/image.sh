#!/usr/bin/env bash
# Image benchmark: preparing a 4000 x 3000 JPEG (quality 92, a synthetic scene of ours) for
# upload into an 800 x 600 box at JPEG quality 80, against what a user might run instead:
# djpeg decoding the same file to nowhere, vipsthumbnail (which decodes at a reduced size,
# so not the same result) and ImageMagick's box-filter resize to the same 600 x 450. Whole
# native processes on every side, medians of RUNS runs.
# BENCH_BUILD names the native build folder to use (default build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BENCH_BUILD:-$root/build/native}
runs=${RUNS:-7}
. "$root/scripts/bench-results.sh"
"$root/scripts/apt-ensure.sh" cmake g++ libjpeg62-turbo-dev libpng-dev libtiff-dev libcrypto++-dev \
  zlib1g-dev pkg-config googletest libjpeg-turbo-progs imagemagick libvips-tools python3 time
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
# machine's other load falls on all of them alike. Per run: wall time, processor time
# (user + system, which another process's load changes less), then the peak memory of one
# run each.
figures=$work/figures.txt
/usr/bin/python3 - "$runs" "$figures" "$bench" "$photo" "$work" "$convert" <<'PY'
import os, statistics, subprocess, sys, time
runs, out, bench, photo, work, convert = int(sys.argv[1]), *sys.argv[2:]
contenders = {
    "ours": [bench, "prepare", photo, f"{work}/ours.jpg"],
    "whole": [bench, "prepare-whole", photo, f"{work}/whole.jpg"],
    "decode": [bench, "decode", photo],
    "djpeg": ["djpeg", "-outfile", "/dev/null", photo],
    "vips": ["vipsthumbnail", photo, "--size", "600x450", "-o", f"{work}/vips.jpg[Q=80]"],
    "convert": [convert, photo, "-filter", "box", "-resize", "600x450", "-quality", "80", f"{work}/im.jpg"],
}
def run(cmd):
    start = time.perf_counter()
    child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"bench: {cmd[0]} failed")
    return wall * 1000, (usage.ru_utime + usage.ru_stime) * 1000
# A child's peak counts the pages of whoever forked it, so the peak is taken through the
# small GNU time rather than through this Python process.
def peak_mb(cmd):
    report = f"{work}/peak.txt"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + cmd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024
samples = {name: [] for name in contenders}
for name, cmd in contenders.items():
    run(cmd)  # warm-up
for _ in range(runs):
    for name, cmd in contenders.items():
        samples[name].append(run(cmd))
with open(out, "w") as f:
    for name, s in samples.items():
        wall, cpu = (statistics.median(x[i] for x in s) for i in range(2))
        f.write(f"{name} {wall:.1f} {cpu:.1f} {peak_mb(contenders[name]):.1f}\n")
PY
declare -A ms cpu mb
while read -r name wall proc peak; do
  ms[$name]=$wall
  cpu[$name]=$proc
  mb[$name]=$peak
done <"$figures"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
load_after=$(load)
# Preparing while decoding must give the very bytes the whole picture gives.
same=no
cmp -s "$work/ours.jpg" "$work/whole.jpg" && same=yes

echo "photo: 4000x3000 JPEG q92, $(stat -c %s "$photo") bytes, into 800x600 at q80; medians of $runs runs"
echo "load average before: $load_before, after: $load_after ($(nproc) cores)"
printf '  %-44s %9s %12s %12s\n' "" "time" "processor" "peak memory"
row() { printf '  %-44s %6s ms %9s ms %9s MB\n' "$2" "${ms[$1]}" "${cpu[$1]}" "${mb[$1]}"; }
row ours "ours (image_bench prepare)"
row whole "ours from the whole picture (prepare-whole)"
row decode "ours, decoding only"
row djpeg "djpeg decoding the same file to nowhere"
row vips "vipsthumbnail (decodes at reduced size)"
row convert "ImageMagick convert -filter box -resize"
echo "  same bytes as from the whole picture: $same"
echo "  ours / djpeg $(ratio "${ms[ours]}" "${ms[djpeg]}") (goal <= 1.00), peak ${mb[ours]} MB (goal < 20)," \
  "ours / convert $(ratio "${ms[ours]}" "${ms[convert]}") (goal < 0.35)"
record_result image.prepare_ms "${ms[ours]}" ms
record_result image.prepare_peak_mb "${mb[ours]}" MB
record_result image.prepare_cpu_ms "${cpu[ours]}" ms
record_result image.djpeg_decode_cpu_ms "${cpu[djpeg]}" ms
record_result image.prepare_whole_ms "${ms[whole]}" ms
record_result image.decode_ms "${ms[decode]}" ms
record_result image.djpeg_decode_ms "${ms[djpeg]}" ms
record_result image.vips_ms "${ms[vips]}" ms
record_result image.convert_ms "${ms[convert]}" ms
[ "$same" = yes ]
