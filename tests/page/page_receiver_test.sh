#!/usr/bin/env bash
# The page host with both deliverables against the PHP receiver: the demo page end to end
# (drop, turn, caption, post, callbacks, results), a page whose server is unreachable, and
# bad usage. Runs inside the suite's Wine session.
# Usage: page_receiver_test.sh snapferry.exe Snapferry64.dll
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1
dll=$(readlink -f "$2")
. "$root/tools/receiver/background.sh"
work=$(mktemp -d)
trap 'stop_receiver; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Into a file, not a pipe: services Wine starts on the way would hold a pipe open.
page() { "$root/scripts/wine-run" "$exe" page "$@" >"$work/out" 2>&1 </dev/null; }

"$root/scripts/wine-run" regsvr32 /s "Z:${dll//\//\\}"
start_receiver "$work/store" "$work/php.log"
url=http://127.0.0.1:$receiver_port/upload.php
cd "$work"
/usr/bin/python3 "$root/tests/support/test_photos.py"

field() {  # field FILE-STEM NAME: a field the receiver decoded for the stored file
  python3 -c "import json,sys; r=json.load(open(sys.argv[1], encoding='utf-8')); print(r['fields'].get(sys.argv[2], r.get(sys.argv[2], '')))" \
    "$work/store/$1.json" "$2"
}

for plugin in activex npapi; do
  rm -rf "$work/store"/*
  page --plugin $plugin "$root/tools/demo/page.js" "$url" a.jpg "照片 一.png" anim.gif || fail "$plugin: demo page exited with $?"
  tr -d '\r' <"$work/out" | sed "s/^/  [$plugin] /"
  grep -q 'AfterImagesPosted: Object is the album: true' "$work/out" || fail "$plugin: no AfterImagesPosted with the page's object"
  grep -q 'GetPostedFiles: 3 file(s)' "$work/out" || fail "$plugin: GetPostedFiles did not list three files"
  ls "$work/store"/*.json >/dev/null 2>&1 || { fail "$plugin: nothing stored"; continue; }
  # Photo 1 was turned right (320 x 240 goes up as 240 x 320), photo 2 captioned.
  [ "$(field a.jpg width)x$(field a.jpg height)" = 240x320 ] || fail "$plugin: a.jpg not turned"
  [ "$(field '照片 一.jpg' remark_text)" = 海边日落 ] || fail "$plugin: photo 2's caption did not arrive"
  [ "$(field anim.jpg album)" = '海边 2024' ] || fail "$plugin: the page's field did not arrive"

  # Nothing listens: the page's OnError runs, with one argument from the control, two from
  # the plug-in.
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  expected=1; [ $plugin = npapi ] && expected=2
  page --plugin $plugin "$root/tests/page/error_page.js" "http://127.0.0.1:$port/upload" a.jpg \
    || fail "$plugin: error page exited with $?"
  grep -q "OnError calls 1, arguments $expected" "$work/out" || { fail "$plugin: OnError not as expected"; cat "$work/out"; }
done

status=0; page || status=$?
[ $status -eq 2 ] || fail "page without a script exited with $status, not 2"
status=0; page --plugin netscape x.js || status=$?
[ $status -eq 2 ] || fail "a bad --plugin exited with $status, not 2"

[ "$failures" -eq 0 ] && echo "page host: all checks passed"
exit $((failures > 0))
