#!/usr/bin/env bash
# Every DLL we ship must be self-contained: it may import Windows system DLLs only, and
# export only what its .def file names.
set -euo pipefail
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|wininet|ws2_32|msimg32|gdiplus|uuid|rpcrt4|msvcrt|version|crypt32|bcrypt|iphlpapi|winmm|urlmon|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
for dll in "$@"; do
  case "$(objdump -f "$dll" | grep -o 'file format .*')" in
    *pei-x86-64*) dump=x86_64-w64-mingw32-objdump ;;
    *pei-i386*) dump=i686-w64-mingw32-objdump ;;
    *) echo "$dll: not a Windows DLL" >&2; status=1; continue ;;
  esac
  while read -r name; do
    lower=${name,,}
    if ! [[ $lower =~ $system_dlls ]]; then
      echo "$dll imports $name, which is not a Windows system DLL" >&2
      status=1
    fi
  done < <($dump -p "$dll" | awk '/DLL Name:/ {print $3}')
  echo "$dll: imports $($dump -p "$dll" | awk '/DLL Name:/ {printf "%s ", $3}')"
  # Exactly the .def file's names, undecorated.
  def=$(ls "$(dirname "$0")"/../src/*/"$(basename "$dll" .dll).def")
  expected=$(awk 'f && NF {print $1} /^EXPORTS/ {f=1}' "$def" | sort | tr '\n' ' ')
  exported=$($dump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {f=1; next} f && /^\t\[/ {print $NF} f && !/^\t\[/ {f=0}' \
    | sort | tr '\n' ' ')
  if [ "$exported" != "$expected" ]; then
    echo "$dll exports [$exported], its .def file names [$expected]" >&2
    status=1
  fi
  echo "$dll: exports $exported"
done
exit $status
