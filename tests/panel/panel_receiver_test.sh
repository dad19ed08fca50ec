#!/usr/bin/env bash
# A whole session through `snapferry panel` against the PHP receiver: files dropped on the
# panel, one turned and one captioned, posted with the post button; then what PHP stored, in
# both flavours, and the exit codes of a failed run and of bad usage.
# Usage: panel_receiver_test.sh SNAPFERRY_EXE
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
run() { "$root/scripts/wine-run" "$exe" "$@"; }

. "$root/tools/receiver/background.sh"
work=$(mktemp -d)
trap 'stop_receiver; rm -rf "$work"' EXIT
start_receiver "$work/store" "$work/php.log"
url="http://127.0.0.1:$receiver_port/upload.php"
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/in"
cd "$work/in"
/usr/bin/python3 "$root/tests/support/test_photos.py"

# record FILE KEY: one value of the JSON record PHP wrote for a stored file.
record() {
  python3 -c "import json,sys; r=json.load(open(sys.argv[1], encoding='utf-8')); k=sys.argv[2]; \
print(r['remark_text'] if k=='@remark' else r['md5'] if k=='@md5' else r['fields'].get(k))" "$work/store/$1.json" "$2"
}

echo "== the control's panel: drop, turn, caption, post"
run panel --url "$url" --field uid=7 --drop a.jpg "照片 一.png" anim.gif --rotate 1:right \
  --caption '2:家庭 合影' --post >"$work/out.txt" || { cat "$work/out.txt"; fail "panel exited $?"; }
cat "$work/out.txt"
grep -qx 'status: 正在上传第1/3张图片' "$work/out.txt" || fail "first status"
grep -qx 'status: 所有图片已上传完毕' "$work/out.txt" || fail "final status"
grep -qx 'callback: AfterImagesPosted(null)' "$work/out.txt" || fail "callback"
[ "$(grep -c '^posted: stored ' "$work/out.txt")" -eq 3 ] || fail "three posted-files entries"
[ "$(record a.jpg width)x$(record a.jpg height)" = 240x320 ] || fail "turned photo's size"
[ "$(record a.jpg uid)" = 7 ] || fail "extra field"
[ "$(record '照片 一.png' @remark)" = '家庭 合影' ] || fail "caption as remark"
[ "$(record anim.gif @md5)" = "$(md5sum <anim.gif | cut -d' ' -f1)" ] || fail "a GIF goes as its bytes"

echo "== the plug-in's panel"
rm -rf "$work/store"
run --flavor npapi panel --url "$url" --drop a.jpg --post >"$work/out2.txt" || fail "npapi panel exited $?"
grep -qx 'callback: AfterImagesPosted(null)' "$work/out2.txt" || fail "npapi callback"
[ -f "$work/store/a.jpg.json" ] || fail "npapi upload stored"

echo "== picked in the add-images dialog and added from the web image dialog"
cp "$work/in/a.jpg" "$work/store/"
rm -rf "$work/store"/*.json
run panel --url "$url" --pick . --check 1,3 --web "http://127.0.0.1:$receiver_port/files/a.jpg" --post \
  >"$work/out4.txt" || { cat "$work/out4.txt"; fail "pick and web exited $?"; }
grep -qx 'picked: 2 photo(s) queued' "$work/out4.txt" || fail "two pictures picked"
grep -qx 'downloaded: 3 photo(s) queued' "$work/out4.txt" || fail "one picture downloaded"
[ "$(grep -c '^posted: stored ' "$work/out4.txt")" -eq 3 ] || fail "three posted"

echo "== a failed run and bad usage"
status=0; run panel --url "http://127.0.0.1:1/up.php" --drop a.jpg --post >"$work/out3.txt" 2>&1 || status=$?
[ $status -eq 1 ] || fail "refused connection gives $status"
grep -qx 'status: 上传错误' "$work/out3.txt" || fail "error status"
grep -q '^callback: OnError(null, ' "$work/out3.txt" || fail "OnError"
status=0; run panel --drop a.jpg --post >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "missing --url gives $status"
status=0; run panel --url "$url" --drop a.jpg --rotate 4:left --post >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "rotating a photo that is not there gives $status"
echo "panel receiver test passed"
