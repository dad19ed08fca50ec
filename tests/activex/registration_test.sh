#!/usr/bin/env bash
# Registration of Snapferry64.dll through the system's own regsvr32, compared key by key with
# what it must write: register, register over a stale class key, unregister, and the per-user
# forms of DllInstall. Runs inside the suite's Wine session.
# Usage: registration_test.sh Snapferry64.dll
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dll=$(readlink -f "$1")
module="Z:${dll//\//\\}"
module_dir=${module%\\*}
expected=$root/tests/activex/registration_expected.txt
clsid='{03A703FC-AAE2-40E1-AFD5-F1A029BC555F}'
wine() { "$root/scripts/wine-run" "$@"; }
# The 64-bit view (a 32-bit reg.exe would see the redirected CLSID key). reg names the
# default value in the prefix's language: call it (default).
reg() { "$root/scripts/wine-run" reg "$@" /reg:64 2>/dev/null | tr -d '\r\0' | LC_ALL=C sed -E 's/^    \([^)]*\)/    (default)/'; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Everything registration writes under one classes root, with the DLL's path as MODULE.
dump() {
  local root_key=$1
  for key in "CLSID\\$clsid" Korvel.Snapferry64 Korvel.Snapferry64.1 \
             'AppID\{84097591-1848-4731-BE85-94EC993AE903}' 'AppID\Snapferry64.DLL' \
             'TypeLib\{3CBF7B0D-7D1D-4C5C-9F80-C5F768A57BB7}'; do
    reg query "$root_key\\$key" /s | sed "s|${module//\\/\\\\}|MODULE|g; s|${module_dir//\\/\\\\}|MODULEDIR|g; s|^HKEY_[A-Z_]*\\\\\(Software\\\\Classes\\\\\)\?||" \
      | grep -av '^$' || echo "missing: $key"
  done
}
present() { reg query "$1" >/dev/null; }

check_dump() {
  local what=$1 root_key=$2
  if ! diff -u "$expected" <(dump "$root_key") >"$work/diff"; then
    fail "$what: the keys differ from the expected set"
    cat "$work/diff"
  fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wine regsvr32 /s /u "$module" || true  # from a clean start
wine regsvr32 /s "$module" || fail "regsvr32 exited with $?"
check_dump "register" HKCR
present "HKCR\\Interface\\{BC88F982-7254-4379-A087-4232A786DBD8}\\ProxyStubClsid32" || fail "no proxy/stub for ISnapferry"

# A second registration recreates the class key instead of merging into it.
reg add "HKCR\\CLSID\\$clsid\\Stale" /f >/dev/null
wine regsvr32 /s "$module" || fail "second regsvr32 exited with $?"
check_dump "register again" HKCR

wine regsvr32 /s /u "$module" || fail "regsvr32 /u exited with $?"
for key in "CLSID\\$clsid" Korvel.Snapferry64 Korvel.Snapferry64.1 'AppID\Snapferry64.DLL' \
           'TypeLib\{3CBF7B0D-7D1D-4C5C-9F80-C5F768A57BB7}'; do
  present "HKCR\\$key" && fail "unregister left $key"
done
for key in CLSID AppID; do present "HKCR\\$key" || fail "unregister removed the parent $key"; done

# DllInstall: "user" in any case registers for the user only; anything else machine-wide.
for line in user USER; do
  wine regsvr32 /s /n /i:$line "$module" || fail "regsvr32 /n /i:$line exited with $?"
  check_dump "per user ($line)" 'HKCU\Software\Classes'
  present "HKCR\\CLSID\\$clsid" && fail "/i:$line also registered machine-wide"
  wine regsvr32 /s /n /u /i:$line "$module" || fail "regsvr32 /n /u /i:$line exited with $?"
  present "HKCU\\Software\\Classes\\CLSID\\$clsid" && fail "/n /u /i:$line left the user's class key"
done
wine regsvr32 /s /n /i:users "$module" || fail "regsvr32 /n /i:users exited with $?"
check_dump "install users" HKCR
present "HKCU\\Software\\Classes\\CLSID\\$clsid" && fail "/i:users registered for the user"

# Leave the control registered for the suite's other tests.
wine regsvr32 /s "$module" || fail "final regsvr32 exited with $?"
[ "$failures" -eq 0 ] && echo "registration: all checks passed"
exit $((failures > 0))
