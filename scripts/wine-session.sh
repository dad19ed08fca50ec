#!/usr/bin/env bash
# Runs a command (typically ctest) with an X display of its own and one persistent
# wineserver for the project prefix, so each Windows test process starts quickly.
# Usage: scripts/wine-session.sh COMMAND [ARG...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

if [ -z "${SF_IN_XVFB:-}" ]; then
  # A wineserver that lingers from a run without this display would refuse top-level windows.
  env "${SF_WINE_ENV[@]}" wineserver -k 2>/dev/null || true
  exec env SF_IN_XVFB=1 xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' "$0" "$@"
fi

"$here/wine-prefix.sh"
env "${SF_WINE_ENV[@]}" wineserver -p
# The first Wine process starts the prefix's background services, which would inherit the
# caller's output pipes and keep CTest waiting for them; start them here, away from any pipe.
env "${SF_WINE_ENV[@]}" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
status=0
"$@" || status=$?
env "${SF_WINE_ENV[@]}" wineserver -k 2>/dev/null || true
exit $status
