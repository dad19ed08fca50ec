#!/usr/bin/env bash
# Posts through `snapferry post` to the PHP receiver and checks what PHP parsed: every field
# after decoding, the file name, size and checksum, in both charsets and both flavours; then
# the exit codes and a download back.
# Usage: receiver_test.sh SNAPFERRY_EXE
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
run() { "$root/scripts/wine-run" "$exe" "$@"; }

. "$root/tools/receiver/background.sh"
work=$(mktemp -d)
cleanup() {
  stop_receiver
  rm -rf "$work"
}
trap cleanup EXIT

start_receiver "$work/store" "$work/php.log"
port=$receiver_port
url="http://127.0.0.1:$port/upload.php?ignored=1"

fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/in"
cd "$work/in"
# Photos of our own making: a gradient JPEG, a flat PNG, a two-frame GIF, an empty GIF.
# Debian's interpreter, which has python3-pil, whatever else is first on PATH.
/usr/bin/python3 "$root/tests/support/test_photos.py"
: >empty.gif
touch -d '2015-06-01 02:20:30 UTC' a.jpg  # 10:20:30 in China

# What the server must receive: the bytes `snapferry prepare` makes (a GIF goes as it is).
mkdir -p "$work/expect"
for f in a.jpg "照片 一.png"; do run prepare "$f" "$work/expect/$f" >/dev/null || fail "prepare $f"; done
cp anim.gif empty.gif "$work/expect/"

# check FILE STORED_NAME FIELD=VALUE... : the JSON record PHP wrote for a stored file.
check() {
  python3 - "$work/store/$2.json" "$1" "${@:3}" <<'PY'
import hashlib, json, os, sys
record_path, source, *expect = sys.argv[1:]
if not os.path.exists(record_path):
    sys.exit(f"no record {record_path}")
r = json.load(open(record_path, encoding="utf-8"))
data = open(source, "rb").read()
problems = []
if r["size"] != len(data): problems.append(f"size {r['size']} != {len(data)}")
if r["md5"] != hashlib.md5(data).hexdigest(): problems.append("md5 differs")
for item in expect:
    key, value = item.split("=", 1)
    got = r["remark_text"] if key == "@remark" else r["sent_name"] if key == "@name" else \
          r["content_type"] if key == "@type" else r["fields"].get(key)
    if got != value: problems.append(f"{key}: {got!r} != {value!r}")
if problems:
    sys.exit(f"{record_path}: " + "; ".join(problems))
PY
}

echo "== UTF-8, the control's behaviour"
run post --url "$url" --field uid=7 --field 'note=a b-c+%/=&中文' --remark '你好, world' \
  a.jpg "照片 一.png" anim.gif empty.gif >"$work/out1.txt" || fail "post exited $?"
cat "$work/out1.txt"
grep -q "response: stored a.jpg ($(stat -c %s "$work/expect/a.jpg") bytes" "$work/out1.txt" || fail "response text not shown"
for f in a.jpg "照片 一.png" anim.gif empty.gif; do
  check "$work/expect/$f" "$f" "@name=$f" uid=7 'note=a b-c+%/=&中文' '@remark=你好, world'
done
check "$work/expect/a.jpg" a.jpg lastWriteTime='2015-06-01 10:20:30' '@type=image/jpeg' width=320 height=240
check "$work/expect/照片 一.png" "照片 一.png" '@type=image/x-png' width=40 height=30
check "$work/expect/anim.gif" anim.gif '@type=image/gif' width=16 height=12
check "$work/expect/empty.gif" empty.gif width=0 height=0

echo "== GB2312 and another file field"
rm -rf "$work/store"
run post --url "$url" --charset GB2312 --file-field photo --field '名字=中文 值' "照片 一.png" >/dev/null || fail "GB2312 post"
check "$work/expect/照片 一.png" "照片 一.png" '@name=照片 一.png' '名字=中文 值' '@remark='
python3 -c "import json,sys; r=json.load(open(sys.argv[1])); sys.exit(r['field'] != 'photo')" \
  "$work/store/照片 一.png.json" || fail "file field name"

echo "== the plug-in's behaviour"
rm -rf "$work/store"
run --flavor npapi post --url "$url" --field uid=8 a.jpg >/dev/null || fail "npapi post"
check "$work/expect/a.jpg" a.jpg '@name=a.jpg' uid=8 '@type=image/pjpeg'

echo "== download back"
run download "http://127.0.0.1:$port/files/a.jpg" "$work/back.jpg" >"$work/down.txt" || fail "download"
cat "$work/down.txt"
cmp -s "$work/expect/a.jpg" "$work/back.jpg" || fail "downloaded bytes differ"
grep -q '^file name: a.jpg' "$work/down.txt" || fail "file name"
grep -q '^image type: 3' "$work/down.txt" || fail "image type"

echo "== exit codes"
status=0; run post --url "$url" missing.jpg >/dev/null 2>&1 || status=$?
[ $status -eq 1 ] || fail "missing file gives $status"
status=0; run post --url "http://127.0.0.1:1/up.php" a.jpg >/dev/null 2>&1 || status=$?
[ $status -eq 1 ] || fail "refused connection gives $status"
status=0; run post a.jpg >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "missing --url gives $status"
status=0; run post --url "$url" --width 5 a.jpg >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "--width alone gives $status"
status=0; run frobnicate >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "unknown command gives $status"
echo "receiver test passed"
