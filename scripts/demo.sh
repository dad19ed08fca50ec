#!/usr/bin/env bash
# make demo: what a visitor of a page with the uploader does. Starts the upload receiver
# (PHP's built-in server on 127.0.0.1), registers the ActiveX control, makes a few sample
# photos, and runs the demo page tools/demo/page.js in the page host: the page configures
# the uploader, the visitor drops the photos, turns and captions one and posts them, and the
# page's callbacks print what the server answered. Then it shows what the server stored.
# The page runs twice: against the ActiveX control, then the NPAPI plug-in. Screenshots go
# to build/demo/activex and build/demo/npapi. The build folder is $SNAPFERRY_BUILD, else build/x86_64.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${SNAPFERRY_BUILD:-$root/build/x86_64}
exe=$build/tools/snapferry.exe
control=$build/src/Snapferry64.dll
for f in "$exe" "$control"; do
  [ -f "$f" ] || { echo "demo: $f is not built (run: make build)" >&2; exit 1; }
done
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
url=http://127.0.0.1:$receiver_port/upload.php
echo "receiver: php -S 127.0.0.1:$receiver_port tools/receiver/upload.php, storing into $store"

echo
echo "registering the ActiveX control: regsvr32 Snapferry64.dll"
"$root/scripts/wine-run" regsvr32 /s "$(winepath_of() { echo "Z:${1//\//\\}"; }; winepath_of "$control")"

echo
echo "making sample photos"
mkdir -p "$work/photos"
cd "$work/photos"
convert -seed 7 -size 2400x1800 plasma:fractal -blur 0x1 -quality 90 "海边 sunset.jpg"
convert -seed 11 -size 640x480 plasma:green-blue -blur 0x1 garden.png
convert -size 320x240 gradient:gold-firebrick -colors 64 banner.gif
ls -l --time-style=+ . | tail -n +2 | awk '{ $1=$2=$3=$4=""; sub(/^ +/, ""); print "  " $0 }'

# What the receiver stored since it was last emptied, as PHP decoded it.
show_store() {
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
  rm -rf "${store:?}"/*
}

# The same page against both deliverables.
for plugin in activex npapi; do
  shots=$root/build/demo/$plugin
  rm -rf "$shots"
  echo
  case $plugin in
    activex) echo "== the ActiveX control (Snapferry64.dll) in the system's ActiveX container" ;;
    npapi) echo "== the NPAPI plug-in (npSnapferry.dll) in our test browser" ;;
  esac
  echo "snapferry page --plugin $plugin --shots build/demo/$plugin tools/demo/page.js $url <photos>"
  "$root/tools/bin/snapferry" page --plugin $plugin --shots "$shots" "$root/tools/demo/page.js" "$url" \
    "海边 sunset.jpg" garden.png banner.gif
  show_store
done

echo
echo "screenshots in build/demo/activex and build/demo/npapi: 01-empty, 02-dropped, 03-edited"
echo "(photo 1 turned, photo 2 captioned), 04-posting, 05-done"
echo "demo finished; receiver stopped"
