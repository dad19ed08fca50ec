#!/usr/bin/env bash
# make demo: starts the upload receiver (PHP's built-in server on 127.0.0.1), makes a few
# sample photos with ImageMagick, posts them with the snapferry tool exactly as the plug-in
# would, shows the progress and what the server stored, fetches one back, and stops the
# receiver. The build folder is $SNAPFERRY_BUILD, else build/x86_64.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${SNAPFERRY_BUILD:-$root/build/x86_64}
exe=$build/tools/snapferry.exe
[ -f "$exe" ] || { echo "demo: $exe is not built (run: make build)" >&2; exit 1; }
for tool in php convert curl python3; do
  command -v $tool >/dev/null || { echo "demo: $tool missing (run: make setup)" >&2; exit 1; }
done

. "$root/tools/receiver/background.sh"
work=$(mktemp -d /tmp/snapferry-demo.XXXXXX)
cleanup() {
  stop_receiver
  rm -rf "$work"
}
trap cleanup EXIT

store=$work/received
start_receiver "$store" "$work/php.log"
port=$receiver_port
echo "receiver: php -S 127.0.0.1:$port tools/receiver/upload.php, storing into $store"

echo
echo "making sample photos"
mkdir -p "$work/photos"
cd "$work/photos"
convert -seed 7 -size 1024x768 plasma:fractal -blur 0x1 -quality 88 "海边 sunset.jpg"
convert -seed 11 -size 640x480 plasma:green-blue -blur 0x1 garden.png
convert -size 320x240 gradient:gold-firebrick -colors 64 banner.gif
# A large photo, so the upload lasts long enough to report progress.
convert -seed 3 -size 3000x2200 plasma:fractal -blur 0x1 -quality 97 big.bmp
ls -l --time-style=+ . | tail -n +2 | awk '{ $1=$2=$3=$4=""; sub(/^ +/, ""); print "  " $0 }'

echo
echo "snapferry post --url http://127.0.0.1:$port/upload.php --field album=demo --field uid=7 --remark '家庭相册 2024' <photos>"
"$root/scripts/wine-run" "$exe" post --url "http://127.0.0.1:$port/upload.php" \
  --field album=demo --field uid=7 --remark '家庭相册 2024' \
  "海边 sunset.jpg" garden.png banner.gif big.bmp

echo
echo "what the server stored (decoded by PHP):"
python3 - "$store" <<'PY'
import json, os, sys
store = sys.argv[1]
for name in sorted(os.listdir(store)):
    if not name.endswith(".json"):
        continue
    r = json.load(open(os.path.join(store, name), encoding="utf-8"))
    fields = ", ".join(f"{k}={v!r}" for k, v in r["fields"].items() if k != "remark")
    print(f"  {r['stored_name']}: {r['size']} bytes, md5 {r['md5']}, {r['content_type']}")
    print(f"    fields: {fields}")
    print(f"    remark: {r['remark_text']!r}")
PY

echo
echo "snapferry download http://127.0.0.1:$port/files/garden.png"
"$root/scripts/wine-run" "$exe" download "http://127.0.0.1:$port/files/garden.png" "$work/garden-back.png"
cmp -s garden.png "$work/garden-back.png" && echo "  (identical to the photo posted)"
echo
echo "demo finished; receiver stopped"
