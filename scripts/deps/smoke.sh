#!/usr/bin/env bash
# Checks the libraries built by scripts/deps.sh the way the plug-in will use
# them: a fully static MinGW program calling each one, and the same checks in
# a DLL that pulls in every object of every library (so its link fails when
# SF_DEPS_EXTRA_LIBS misses a system library) and is loaded and unloaded by a
# host program. Both run under Wine where Wine can run that target.
#
# Usage: scripts/deps/smoke.sh [TARGET...]   (default: both targets)
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CACHE=${SNAPFERRY_CACHE:-$HOME/.cache/snapferry}
targets=("$@")
(( ${#targets[@]} )) || targets=(x86_64-w64-mingw32 i686-w64-mingw32)

passed=0 failed=0
result() {  # status description
  if [[ $1 == 0 ]]; then passed=$((passed + 1)); echo "ok   $2"; else failed=$((failed + 1)); echo "FAIL $2"; fi
}

show_link_errors() {  # log
  if grep -q 'undefined reference' "$1"; then
    grep -o 'undefined reference to `[^'"'"']*' "$1" | sort -u | head -n 20 | sed 's/^/  | /'
  else
    tail -n 20 "$1" | sed 's/^/  | /'
  fi
}

can_run() {  # target
  command -v wine >/dev/null || return 1
  case $1 in
    x86_64-*) return 0 ;;
    # Debian's wine runs 32-bit programs only with the i386 wine32 package.
    i686-*) dpkg-query -W -f='${db:Status-Abbrev}' wine32:i386 2>/dev/null | grep -q '^ii' ;;
  esac
}

work=$(mktemp -d "${TMPDIR:-/tmp}/snapferry-smoke.XXXXXX")
trap 'rm -rf "$work"' EXIT

for t in "${targets[@]}"; do
  cm=$CACHE/deps/$t/deps.cmake
  if [[ ! -r $cm ]]; then result 1 "$t: $cm missing (run scripts/deps.sh $t)"; continue; fi
  unset "${!SF_@}"
  set_re='^set\((SF_[A-Z0-9_]+) "?([^")]*)"?\)$'
  while IFS= read -r line; do
    if [[ $line =~ $set_re ]]; then
      printf -v "${BASH_REMATCH[1]}" '%s' "${BASH_REMATCH[2]}"
    fi
  done <"$cm"

  incs=() defs=() archives=()
  for v in JPEG PNG TIFF CRYPTOPP ZLIB LOG4CPLUS; do
    inc=SF_${v}_INCLUDE_DIR
    [[ -n ${!inc:-} ]] && incs+=("-I${!inc}")
  done
  # Dependents before their dependencies, as a static link needs.
  archives=("$SF_TIFF_LIBRARY" "$SF_JPEG_LIBRARY" "$SF_PNG_LIBRARY" "$SF_CRYPTOPP_LIBRARY")
  if [[ -n ${SF_LOG4CPLUS_LIBRARY:-} ]]; then
    defs+=(-DSMOKE_LOG4CPLUS -DLOG4CPLUS_STATIC -DUNICODE -D_UNICODE)
    archives=("$SF_LOG4CPLUS_LIBRARY" "${archives[@]}")
  fi
  extra=()
  for l in ${SF_DEPS_EXTRA_LIBS:-}; do extra+=("-l$l"); done
  static=(-static -static-libgcc -static-libstdc++)
  cxx=("$t-g++-posix" -std=c++20 -O1 "${defs[@]}" "${incs[@]}")
  exe=$work/$t-smoke.exe dll=$work/$t-smoke.dll host=$work/$t-smoke-host.exe

  rc=0
  "${cxx[@]}" "$HERE/smoke.cpp" -o "$exe" "${archives[@]}" "$SF_ZLIB_LIBRARY" "${extra[@]}" "${static[@]}" \
    >"$work/$t-exe.log" 2>&1 || rc=$?
  result $rc "$t: static program links"
  (( rc == 0 )) || show_link_errors "$work/$t-exe.log"

  # Whole archives: every object must resolve, not just those smoke.cpp uses.
  rc=0
  { "${cxx[@]}" -DSMOKE_DLL -shared "$HERE/smoke.cpp" -o "$dll" \
      -Wl,--whole-archive "${archives[@]}" -Wl,--no-whole-archive \
      "$SF_ZLIB_LIBRARY" "${extra[@]}" "${static[@]}" &&
    "$t-gcc-posix" -municode -O1 "$HERE/smoke-host.c" -o "$host" -static
  } >"$work/$t-dll.log" 2>&1 || rc=$?
  result $rc "$t: DLL with every object of every library links with SF_DEPS_EXTRA_LIBS='${SF_DEPS_EXTRA_LIBS:-}'"
  (( rc == 0 )) || show_link_errors "$work/$t-dll.log"

  if ! can_run "$t"; then
    echo "skip $t: no Wine for this target here; linked only"
    continue
  fi
  export WINEPREFIX=${SMOKE_WINEPREFIX:-${TMPDIR:-/tmp}/snapferry-smoke-wine-$(id -u)}
  export WINEDEBUG=-all
  [[ -d $WINEPREFIX ]] || { echo "(creating Wine prefix $WINEPREFIX)"; wineboot -i >/dev/null 2>&1 || true; }
  if [[ -f $exe ]]; then
    rc=0
    (cd "$work" && timeout 60 wine "$exe") >"$work/$t-run.log" 2>&1 || rc=$?
    sed 's/^/  | /' "$work/$t-run.log"
    result $rc "$t: program runs under Wine"
  fi
  if [[ -f $dll && -f $host ]]; then
    rc=0
    (cd "$work" && timeout 60 wine "$host" "$(basename "$dll")") >"$work/$t-host.log" 2>&1 || rc=$?
    (( rc == 124 )) && echo "  | (timed out: the DLL hangs while loading or unloading)"
    { grep -v '^ok ' "$work/$t-host.log" || true; } | sed 's/^/  | /'
    result $rc "$t: DLL loads, passes and unloads under Wine"
  fi
done

echo "smoke: $passed passed, $failed failed"
(( failed == 0 ))
