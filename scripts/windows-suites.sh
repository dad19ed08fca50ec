#!/usr/bin/env bash
# The Windows test suites, run inside scripts/wine-session.sh: the x86_64 build always, and the
# i686 build (the real NPAPI target) wherever the kernel executes 32-bit programs.
# Usage: scripts/windows-suites.sh BUILD_DIR JOBS
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 jobs=$2
status=0
# A test program that fails is run once more before the suite fails: window tests under Xvfb
# still show rare timing failures on a loaded machine (see the README), and the second run's
# output stays in the log for whoever looks into them.
repeat=(--repeat until-pass:2)
ctest --test-dir "$build/x86_64" --output-on-failure -j "$jobs" "${repeat[@]}" || status=1
if ! why=$("$here/runs-32bit.sh"); then
  echo "32-bit suite skipped: $why"
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  echo "32-bit suite skipped: Wine's 32-bit part (wine32:i386) is not installed; make setup installs it"
else
  echo "32-bit suite: the i686 build under Wine's 32-bit half"
  ctest --test-dir "$build/i686" --output-on-failure -j "$jobs" "${repeat[@]}" || status=1
fi
exit $status
