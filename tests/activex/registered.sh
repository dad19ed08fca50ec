#!/usr/bin/env bash
# Runs a test program after registering the control, as an installer would have.
# Usage: registered.sh TEST.exe   (the DLL comes in $SF_CONTROL_DLL)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dll=$(readlink -f "$SF_CONTROL_DLL")
"$root/scripts/wine-run" regsvr32 /s "Z:${dll//\//\\}"
exec "$root/scripts/wine-run" "$1"
