#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet.
# Runs `apt-get update` once per machine boot (stamp in /run, or /tmp when /run is not writable).
set -euo pipefail
# --update forgets the stamp first (after a new architecture or source was added).
forget_stamp=
if [ "${1:-}" = --update ]; then forget_stamp=1; shift; fi

missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ -z "$forget_stamp" ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "apt-ensure: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi

# A deb-src file that an older scripts/deps.sh wrote may contradict the machine's own
# entries, and apt then reads no sources at all; deps.sh writes a sound one again later.
src_list=/etc/apt/sources.list.d/snapferry-src.sources
if [ -e "$src_list" ] && ! apt-cache policy >/dev/null 2>&1; then
  echo "apt-ensure: apt cannot read its sources; removing $src_list" >&2
  $SUDO rm -f "$src_list"
fi

stamp_dir=/run; [ -w "$stamp_dir" ] || stamp_dir=/tmp
stamp="$stamp_dir/snapferry-apt-updated"
[ -z "$forget_stamp" ] || $SUDO rm -f "$stamp"
if [ ! -e "$stamp" ]; then
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  touch "$stamp" 2>/dev/null || $SUDO touch "$stamp"
fi
[ ${#missing[@]} -eq 0 ] && exit 0
echo "apt-ensure: installing ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
