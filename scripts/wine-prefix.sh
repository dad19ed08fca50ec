#!/usr/bin/env bash
# Creates the project's Wine prefix on first use (64-bit, with the 32-bit half when Wine's 32-bit
# part is installed), and keeps its settings current:
# CJK font substitutes for the fonts the product asks for, and unmanaged windows, because
# Xvfb has no window manager and Wine otherwise waits for one (about 2 s) whenever a framed
# window is hidden or destroyed. A new prefix is built in a temporary folder and renamed when
# complete, so an interrupted creation is redone; changed settings are re-applied in place.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

settings() {
  local font="WenQuanYi Micro Hei"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for face in "新宋体" "宋体" "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "NSimSun"; do
    printf '"%s"="%s"\r\n' "$face" "$font"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
}
# A prefix made before Wine's 32-bit part was installed (or after it was removed) has the wrong
# halves: it is made anew rather than patched.
halves=win64
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && halves=wow64
version="$(settings | sha256sum | cut -c1-16) $halves"
ready="$SF_WINEPREFIX/.snapferry-ready"
[ -f "$ready" ] && [ "$(cat "$ready")" = "$version" ] && exit 0

# regedit wants UTF-16 for names outside ASCII.
apply_settings() {  # prefix
  settings | iconv -f UTF-8 -t UTF-16 > "$1/settings.reg"
  local reg="Z:$1/settings.reg"
  WINEPREFIX="$1" wine regedit /S "${reg//\//\\}" >/dev/null 2>&1
  WINEPREFIX="$1" wineserver -w
  rm -f "$1/settings.reg"
  echo "$version" > "$1/.snapferry-ready"
}
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8

if [ -f "$ready" ] && [ "$(cut -d' ' -f2 "$ready")" = "$halves" ]; then
  apply_settings "$SF_WINEPREFIX"
  exit 0
fi

tmp="$SF_WINEPREFIX.tmp.$$"
rm -rf "$tmp"; mkdir -p "$(dirname "$SF_WINEPREFIX")"
trap 'rm -rf "$tmp"' EXIT
WINEPREFIX="$tmp" wineboot -i >/dev/null 2>&1 || true
WINEPREFIX="$tmp" wineserver -w
apply_settings "$tmp"
rm -rf "$SF_WINEPREFIX"
mv "$tmp" "$SF_WINEPREFIX"
trap - EXIT
