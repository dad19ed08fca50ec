#!/usr/bin/env bash
# Upload throughput over loopback: a 10 MB file through `snapferry post` (WinINet under
# Wine, 512-byte writes) and through `curl -F`, to the same PHP receiver in the same run.
# The build folder is $SNAPFERRY_BUILD, else build/x86_64.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${SNAPFERRY_BUILD:-$root/build/x86_64}
exe=$build/tools/snapferry.exe
[ -f "$exe" ] || { echo "bench: $exe is not built (run: make build)" >&2; exit 1; }
. "$root/scripts/env.sh"
runs=${BENCH_RUNS:-3}

. "$root/tools/receiver/background.sh"
work=$(mktemp -d /tmp/snapferry-bench.XXXXXX)
cleanup() {
  stop_receiver
  env "${SF_WINE_ENV[@]}" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_receiver "$work/store" "$work/php.log"
url="http://127.0.0.1:$receiver_port/upload.php"

size=$((10 * 1000 * 1000))
# Named .gif: GIF photos go as their own bytes, so this measures the transfer, not the encoder.
head -c $size /dev/urandom >"$work/photo.gif"
# A persistent wineserver and one warm-up run, so Wine's start-up is not what we measure.
"$root/scripts/wine-prefix.sh"
env "${SF_WINE_ENV[@]}" wineserver -p
"$root/scripts/wine-run" "$exe" post --url "$url" "$work/photo.gif" >/dev/null

now() { date +%s.%N; }
best_tool=1e9; best_proc=1e9; best_curl=1e9
for _ in $(seq "$runs"); do
  t0=$(now)
  (cd "$work" && "$root/scripts/wine-run" "$exe" post --url "$url" photo.gif >"$work/out.txt")
  t1=$(now)
  curl -fs -o /dev/null -F "img=@$work/photo.gif" "$url"
  t2=$(now)
  # The tool's own figure: from the start of the post to the server's answer.
  took=$(sed -n 's/^  time \([0-9.]*\) s$/\1/p' "$work/out.txt")
  read -r best_tool best_proc best_curl < <(python3 -c "print(min($took, $best_tool), min($t1 - $t0, $best_proc), min($t2 - $t1, $best_curl))")
done
python3 - "$size" "$best_tool" "$best_proc" "$best_curl" "$runs" <<'PY'
import sys
size, tool, proc, curl, runs = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
mb = size / 1e6
print(f"upload of {mb:.0f} MB over loopback to PHP's built-in server, best of {runs} runs:")
print(f"  snapferry post (the post itself)  : {tool:6.2f} s  {mb / tool:7.1f} MB/s")
print(f"  snapferry post (whole Wine process): {proc:6.2f} s  {mb / proc:7.1f} MB/s")
print(f"  curl -F (whole process)            : {curl:6.2f} s  {mb / curl:7.1f} MB/s")
print(f"  throughput ratio snapferry/curl    : {curl / tool:.2f} (post itself), {curl / proc:.2f} (whole process)")
PY
