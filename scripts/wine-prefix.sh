#!/usr/bin/env bash
# Creates the project's Wine prefix on first use: 64-bit, CJK font substitutes for the
# dialog fonts the product asks for. Built in a temporary folder and renamed when complete,
# so an interrupted creation is redone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
[ -f "$SF_WINEPREFIX/.snapferry-ready" ] && exit 0

tmp="$SF_WINEPREFIX.tmp.$$"
rm -rf "$tmp"; mkdir -p "$(dirname "$SF_WINEPREFIX")"
trap 'rm -rf "$tmp"' EXIT
export WINEPREFIX="$tmp" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
wineboot -i >/dev/null 2>&1 || true
wineserver -w

# regedit wants UTF-16 for names outside ASCII.
font="WenQuanYi Micro Hei"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for face in "新宋体" "宋体" "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "NSimSun"; do
    printf '"%s"="%s"\r\n' "$face" "$font"
  done
} | iconv -f UTF-8 -t UTF-16 > "$tmp/fonts.reg"
reg="Z:$tmp/fonts.reg"
wine regedit /S "${reg//\//\\}" >/dev/null 2>&1
wineserver -w
rm -f "$tmp/fonts.reg"
touch "$tmp/.snapferry-ready"
rm -rf "$SF_WINEPREFIX"
mv "$tmp" "$SF_WINEPREFIX"
trap - EXIT
