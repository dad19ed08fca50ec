#!/usr/bin/env bash
# The control from Wine's own script hosts: cscript runs the JScript and the VBScript test,
# each creating the control through its registration.
# Usage: script_test.sh Snapferry64.dll
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dll=$(readlink -f "$1")
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$root/scripts/wine-run" regsvr32 /s "Z:${dll//\//\\}"
status=0
for script in script_test.js script_test.vbs; do
  # Into a file, not a pipe: services Wine starts on the way (COM's among them) inherit the
  # output and would hold a pipe open. cscript says nothing of an uncaught script error; the
  # scripts count their failures and quit with the count.
  timeout 60 "$root/scripts/wine-run" cscript "Z:${root//\//\\}\\tests\\activex\\$script" >"$out" 2>&1 </dev/null || true
  tr -d '\r' <"$out"
  grep -q 'all checks passed' "$out" || { echo "FAIL: $script"; status=1; }
done
exit $status
