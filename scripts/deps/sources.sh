# shellcheck shell=bash
# Debian source packages for scripts/deps.sh, which sources this file: the
# deb-src entries apt needs, the revisions the source index offers, verified
# downloads into the cache, and unpacking with Debian's patch series applied.
# Uses say, die, as_root, HERE, CACHE and SRCPKG/LIBS from deps.sh.

SRC_LIST_FILE=/etc/apt/sources.list.d/snapferry-src.sources

# ---------------------------------------------------------------------------
# deb-src entries

# Source files in the order apt reads them (the main list, then the parts in
# byte order of their names), with "ours=1" where our own file sits: the awk
# script binds each archive to the key apt has seen for it by that point.
apt_source_inputs() {  # apt folder (/etc/apt), name of our file in its sources.list.d
  local etc=$1 ours=$2 name marked=0 names=() f LC_ALL=C
  [[ -r $etc/sources.list ]] && printf '%s\n' "$etc/sources.list"
  for f in "$etc"/sources.list.d/*.list "$etc"/sources.list.d/*.sources; do
    [[ -e $f ]] && names+=("${f##*/}")
  done
  while IFS= read -r name; do
    [[ -n $name ]] || continue
    if (( ! marked )) && [[ ! $name < $ours ]]; then printf 'ours=1\n'; marked=1; fi
    [[ $name != "$ours" && -r $etc/sources.list.d/$name ]] && printf '%s\n' "$etc/sources.list.d/$name"
  done < <(printf '%s\n' "${names[@]}" | LC_ALL=C sort)
  (( marked )) || printf 'ours=1\n'
}

has_deb_src() {  # other than our own file
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -r $f ]] && grep -Eq '^[[:space:]]*deb-src[[:space:]]' "$f" && return 0
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ $f != "$SRC_LIST_FILE" && -r $f ]] && grep -Eiq '^Types:.*deb-src' "$f" && return 0
  done
  return 1
}

# Writes deb-src twins of the configured deb entries (same archives, suites
# and keys, each archive and suite once), since apt-get source has nothing to
# work with otherwise. Returns 1 when the file was already right.
write_deb_src() {
  local inputs=() body text current=""
  mapfile -t inputs < <(apt_source_inputs /etc/apt "$(basename "$SRC_LIST_FILE")")
  body=$(awk -f "$HERE/deps/deb-src.awk" "${inputs[@]}")
  [[ -n $body ]] || die "no enabled 'deb' entries found in /etc/apt/sources.list{,.d}"
  text=$(printf '# Source entries for scripts/deps.sh (apt-get source); mirrors the deb entries.\n\n%s' "$body")
  [[ -r $SRC_LIST_FILE ]] && current=$(<"$SRC_LIST_FILE")
  [[ $current == "$text" ]] && return 1
  say "writing deb-src entries to $SRC_LIST_FILE"
  printf '%s\n' "$text" | as_root tee "$SRC_LIST_FILE.new" >/dev/null
  as_root mv -f "$SRC_LIST_FILE.new" "$SRC_LIST_FILE"
}

APT_REFRESHED=0
refresh_apt_lists() {
  (( APT_REFRESHED )) && return 0
  say "apt-get update"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  APT_REFRESHED=1
}

# ---------------------------------------------------------------------------
# Revisions the index offers

declare -A CANDIDATES=()  # source package -> its revisions, newest first
declare -A SRCFILES=()    # "package revision" -> "sha256 size name" lines from the index

# Reads `apt-cache showsrc` records (a revision may be listed by several
# suites; each counts once) and orders each package's revisions newest first.
resolve_versions() {
  local srcs=() lib kind pkg ver sha size name sorted v i
  for lib in "${LIBS[@]}"; do srcs+=("${SRCPKG[$lib]}"); done
  CANDIDATES=(); SRCFILES=()
  while read -r kind pkg ver sha size name; do
    if [[ $kind == V ]]; then
      sorted=() i=0
      for v in ${CANDIDATES[$pkg]:-}; do
        if (( ! i )) && dpkg --compare-versions "$ver" gt "$v"; then sorted+=("$ver"); i=1; fi
        sorted+=("$v")
      done
      (( i )) || sorted+=("$ver")
      CANDIDATES[$pkg]=${sorted[*]}
    else
      SRCFILES["$pkg $ver"]+="$sha $size $name"$'\n'
    fi
  done < <(apt-cache showsrc --only-source "${srcs[@]}" 2>/dev/null | awk '
    /^Package:/ { pkg = $2; next }
    /^Version:/ { ver = $2; if (!seen[pkg, ver]++) print "V", pkg, ver; next }
    /^Checksums-Sha256:/ { sums = 1; next }
    sums && /^ / { if (!seen[pkg, ver, $3]++) print "F", pkg, ver, $1, $2, $3; next }
    { sums = 0 }' || true)
  for pkg in "${srcs[@]}"; do
    [[ -n ${CANDIDATES[$pkg]:-} ]] || return 1
  done
}

ensure_versions() {
  resolve_versions && return 0
  # apt refuses to read its sources when a stale file of ours conflicts with
  # them, so ours is rewritten unless the machine has deb-src entries itself.
  has_deb_src || write_deb_src || true
  refresh_apt_lists
  resolve_versions || die "apt-cache showsrc does not know all of: $(for l in "${LIBS[@]}"; do printf '%s ' "${SRCPKG[$l]}"; done)"
}

upstream_version() {  # Debian version -> upstream version
  local v=$1
  [[ $v == *:* ]] && v=${v#*:}
  [[ $v == *-* ]] && v=${v%-*}
  printf '%s' "$v"
}

# ---------------------------------------------------------------------------
# Downloads. Every file is checked against the index, whose Release file is
# signed; dpkg-source then checks the tarballs against the .dsc.

sha256_of() { sha256sum "$1" | cut -d' ' -f1; }

src_files() { printf '%s' "${SRCFILES["$1 $2"]}"; }  # package revision

is_fetched() {  # package revision: every file in the cache with its indexed checksum
  local sha size name
  while read -r sha size name; do
    [[ -n $name ]] || continue
    [[ -f $CACHE/src/$name && $(sha256_of "$CACHE/src/$name") == "$sha" ]] || return 1
  done < <(src_files "$1" "$2")
}

# A revision the archive would not hand out (security-suite files are
# sometimes missing on mirrors) is tried again after a day, not on every run.
unavailable_dir() { printf '%s/src/.unavailable' "$CACHE"; }
recently_unavailable() {  # package revision
  [[ -n $(find "$(unavailable_dir)" -maxdepth 1 -name "$1=$2" -mmin -1440 2>/dev/null) ]]
}

# Returns 1 when some file of the revision could not be downloaded; dies when
# one arrives with a checksum other than the index's.
download_revision() {  # package revision
  local pkg=$1 ver=$2 dl sha size name got missing=() rc=0
  mkdir -p "$CACHE/src"
  dl=$(mktemp -d "$CACHE/src/.download.XXXXXX")
  # Files already here (the upstream tarball every revision shares) are not fetched again.
  while read -r sha size name; do
    [[ -n $name && -f $CACHE/src/$name ]] && ln -f "$CACHE/src/$name" "$dl/$name"
  done < <(src_files "$pkg" "$ver")
  say "downloading source $pkg $ver"
  local apt_opts=(--download-only)
  # As root apt would hand the download to its _apt user, who cannot write
  # into a private cache directory; fetching as root is what we want here.
  [[ $(id -u) -eq 0 ]] && apt_opts+=(-o APT::Sandbox::User=root)
  (cd "$dl" && apt-get source "${apt_opts[@]}" "$pkg=$ver") >"$dl.log" 2>&1 || rc=$?
  while read -r sha size name; do
    [[ -n $name ]] || continue
    if [[ ! -f $dl/$name ]]; then missing+=("$name"); continue; fi
    got=$(sha256_of "$dl/$name")
    if [[ $got != "$sha" ]]; then
      mv -f "$dl/$name" "$CACHE/src/$name.rejected"
      rm -rf "$dl" "$dl.log"
      die "SHA-256 of $name ($got) does not match the apt index ($sha); kept as $CACHE/src/$name.rejected"
    fi
  done < <(src_files "$pkg" "$ver")
  if (( ${#missing[@]} )); then
    say "could not download ${missing[*]} (apt-get source exit $rc):"
    grep -E '^(E|Err):' "$dl.log" | sed 's/^/  | /' || true
    rm -rf "$dl" "$dl.log"
    return 1
  fi
  while read -r sha size name; do
    [[ -n $name ]] && mv -f "$dl/$name" "$CACHE/src/$name"
  done < <(src_files "$pkg" "$ver")
  rm -rf "$dl" "$dl.log"
}

declare -A SRCVER=()    # source package -> the revision we build
declare -A SRCNOTE=()   # source package -> why it is not the newest the index offers

# Picks the newest revision whose files are in the cache or can be fetched.
choose_revision() {  # package
  local pkg=$1 ver skipped=()
  unset "SRCVER[$pkg]" "SRCNOTE[$pkg]"
  for ver in ${CANDIDATES[$pkg]}; do
    [[ -n $(src_files "$pkg" "$ver" | awk '$3 ~ /\.dsc$/') ]] || { skipped+=("$ver"); continue; }
    if is_fetched "$pkg" "$ver"; then SRCVER[$pkg]=$ver; break; fi
    if ! recently_unavailable "$pkg" "$ver"; then
      if download_revision "$pkg" "$ver"; then SRCVER[$pkg]=$ver; break; fi
      mkdir -p "$(unavailable_dir)" && touch "$(unavailable_dir)/$pkg=$ver"
    fi
    skipped+=("$ver")
  done
  [[ -n ${SRCVER[$pkg]:-} ]] || return 1
  if (( ${#skipped[@]} )); then
    SRCNOTE[$pkg]="newer revision ${skipped[*]} could not be fetched; using ${SRCVER[$pkg]}"
    say "$pkg: ${SRCNOTE[$pkg]}"
  fi
}

# Every package gets a revision; when none of one package's can be had, the
# lists are probably older than the archive: refresh them once and retry.
choose_revisions() {
  local lib pkg failed=()
  rm -rf "$CACHE/src"/.download.*
  for lib in "${LIBS[@]}"; do
    pkg=${SRCPKG[$lib]}
    [[ -n ${SRCVER[$pkg]:-} ]] || choose_revision "$pkg" || failed+=("$pkg")
  done
  (( ${#failed[@]} )) || return 0
  (( APT_REFRESHED )) && die "could not download the sources of: ${failed[*]}"
  say "no revision of ${failed[*]} could be fetched; refreshing the apt lists and retrying"
  refresh_apt_lists
  resolve_versions || die "apt-cache showsrc lost track of the sources after apt-get update"
  SRCVER=()
  for pkg in "${failed[@]}"; do rm -f "$(unavailable_dir)/$pkg="*; done
  choose_revisions
}

dsc_of() {  # package -> path of the chosen revision's .dsc in the cache
  local name
  name=$(src_files "$1" "${SRCVER[$1]}" | awk '$3 ~ /\.dsc$/ { print $3; exit }')
  printf '%s/src/%s' "$CACHE" "$name"
}

# Unpacks the chosen revision into a new folder with Debian's patch series
# applied; dpkg-source checks every tarball against the .dsc.
unpack_source() {  # dsc dest
  dpkg-source --no-copy -x "$1" "$2"
}

# One manifest line: library, source package, revision, upstream version,
# patches applied, then name=sha256 of every file it was built from.
source_record() {  # lib srcdir
  local lib=$1 pkg=${SRCPKG[$1]} ver patches=0 sha size name files=""
  ver=${SRCVER[$pkg]}
  [[ -r $2/debian/patches/series ]] && patches=$(grep -cEv '^[[:space:]]*(#|$)' "$2/debian/patches/series" || true)
  while read -r sha size name; do
    [[ -n $name ]] && files+=" $name=$sha"
  done < <(src_files "$pkg" "$ver")
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$lib" "$pkg" "$ver" "$(upstream_version "$ver")" "$patches" "${files# }"
  [[ -z ${SRCNOTE[$pkg]:-} ]] || printf '# %s: %s\n' "$lib" "${SRCNOTE[$pkg]}"
}
