#!/usr/bin/env bash
# The deb-src entries scripts/deps.sh adds for `apt-get source`: for each machine layout of
# apt sources, apt itself must accept the sources with our file added, and each archive and
# suite must be listed once.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
HERE=$root/scripts
# shellcheck source=scripts/deps/sources.sh
. "$root/scripts/deps/sources.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL [$case]: $*" >&2; failures=$((failures + 1)); }

key=/usr/share/keyrings/debian-archive-keyring.gpg
ours=snapferry-src.sources

# Writes our file the way deps.sh does and asks apt to read the whole set.
mirror_and_check() {  # etc
  local etc=$1 inputs=()
  mapfile -t inputs < <(apt_source_inputs "$etc" "$ours")
  awk -f "$root/scripts/deps/deb-src.awk" "${inputs[@]}" >"$etc/sources.list.d/$ours"
  mkdir -p "$etc/lists/partial" "$etc/cache"
  if ! apt-cache -o Dir::Etc::sourcelist="$etc/sources.list" -o Dir::Etc::sourceparts="$etc/sources.list.d" \
       -o Dir::State::lists="$etc/lists" -o Dir::Cache="$etc/cache" policy >"$etc/apt.log" 2>&1 ||
     grep -q '^E:' "$etc/apt.log"; then
    fail "apt refuses the sources: $(grep '^E:' "$etc/apt.log" | head -n 1)"
  fi
}

stanzas() {  # etc uri suite -> how many deb-src stanzas of ours name them
  awk -v uri="$2" -v suite="$3" '
    /^URIs:/ { u = $2 } /^Suites:/ { if (u == uri && $2 == suite) n++ } END { print n + 0 }' \
    "$1/sources.list.d/$ours"
}

field_of() {  # etc uri suite field -> its value in our stanza for them
  awk -v uri="$2" -v suite="$3" -v field="$4:" '
    /^$/ { if (hit) exit; u = "" } /^URIs:/ { u = $2 } /^Suites:/ { hit = (u == uri && $2 == suite) }
    hit && $1 == field { $1 = ""; sub(/^ /, ""); print }' "$1/sources.list.d/$ours"
}

expect() {  # what got wanted
  [[ $2 == "$3" ]] || fail "$1: got '$2', want '$3'"
}

new_etc() { etc=$work/$case; mkdir -p "$etc/sources.list.d"; }

# The archive listed twice: a classic line without a key, a .sources file with one.
case="listed-twice"
new_etc
cat >"$etc/sources.list" <<EOF
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cat >"$etc/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: http://deb.debian.org/debian/
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: $key

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: $key
EOF
mirror_and_check "$etc"
for suite in bookworm bookworm-updates; do
  expect "stanzas for $suite" "$(stanzas "$etc" http://deb.debian.org/debian "$suite")" 1
done
expect "security stanzas" "$(stanzas "$etc" http://deb.debian.org/debian-security bookworm-security)" 1
expect "components" "$(field_of "$etc" http://deb.debian.org/debian bookworm Components)" "main contrib"
expect "key" "$(field_of "$etc" http://deb.debian.org/debian bookworm Signed-By)" "$key"

# The key comes only from a file apt reads after ours, after an entry without one: ours
# must not name it, or that keyless entry would contradict it.
case="key-after-ours"
new_etc
echo "deb http://deb.debian.org/debian bookworm main" >"$etc/sources.list.d/zz-a.list"
echo "deb [signed-by=$key] http://deb.debian.org/debian bookworm main" >"$etc/sources.list.d/zz-b.list"
mirror_and_check "$etc"
expect "stanzas" "$(stanzas "$etc" http://deb.debian.org/debian bookworm)" 1
expect "key" "$(field_of "$etc" http://deb.debian.org/debian bookworm Signed-By)" ""

# What is not a deb entry stays out: disabled stanzas, deb-src ones, comments; options in
# brackets are read.
case="only-enabled-deb"
new_etc
cat >"$etc/sources.list" <<EOF
# deb http://commented.example/debian bookworm main
deb [ arch=amd64 signed-by=$key ] http://deb.debian.org/debian bookworm main
EOF
cat >"$etc/sources.list.d/other.sources" <<EOF
Types: deb
URIs: http://disabled.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://srconly.example/debian
Suites: bookworm
Components: main
EOF
mirror_and_check "$etc"
expect "archives mirrored" "$(grep -c '^URIs:' "$etc/sources.list.d/$ours")" 1
expect "key" "$(field_of "$etc" http://deb.debian.org/debian bookworm Signed-By)" "$key"

# apt reads the parts in byte order of their names; ours goes where its name sorts.
case="reading-order"
new_etc
touch "$etc/sources.list" "$etc/sources.list.d/"{B.list,a.sources,snapferry-z.list,zz.sources,ignored.txt}
expect "order" "$(apt_source_inputs "$etc" "$ours" | sed "s|^$etc/||" | paste -sd' ')" \
  "sources.list sources.list.d/B.list sources.list.d/a.sources ours=1 sources.list.d/snapferry-z.list sources.list.d/zz.sources"

(( failures == 0 )) || { echo "$failures failure(s)" >&2; exit 1; }
echo "all apt source layouts pass"
