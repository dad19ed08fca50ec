#!/usr/bin/env bash
# Builds the third-party libraries that the plug-in links statically, once per
# Windows target, into a cache outside the checkout:
#
#   $SNAPFERRY_CACHE/deps/<target>/<lib>-<Debian revision>/{include,lib}
#   $SNAPFERRY_CACHE/deps/<target>/deps.cmake     (paths for the CMake project)
#   $SNAPFERRY_CACHE/deps/<target>/manifest.tsv   (what each library was built from)
#
# Sources are Debian's own source packages (apt-get source), the newest
# revision the configured suites offer, unpacked with Debian's patch series so
# the security fixes of the point releases are in; nothing is fetched from
# anywhere but the Debian archive.
set -euo pipefail

usage() {
  cat <<EOF
Usage: scripts/deps.sh [TARGET...]

Builds the static third-party libraries for each TARGET (default: all of
${ALL_TARGETS[*]}) into \${SNAPFERRY_CACHE:-\$HOME/.cache/snapferry}/deps/<target>/
and writes deps.cmake and manifest.tsv there. Does nothing when everything is
already built from the newest Debian revision that can be fetched.
EOF
}

ALL_TARGETS=(x86_64-w64-mingw32 i686-w64-mingw32)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CACHE=${SNAPFERRY_CACHE:-$HOME/.cache/snapferry}
JOBS=$(nproc 2>/dev/null || echo 2)

# Cache name -> Debian source package. The order is the build order: tiff
# needs the jpeg library of the same target.
LIBS=(libjpeg-turbo libpng tiff cryptopp log4cplus)
declare -A SRCPKG=([libjpeg-turbo]=libjpeg-turbo [libpng]=libpng1.6 [tiff]=tiff
                   [cryptopp]=libcrypto++ [log4cplus]=log4cplus)
declare -A LIB_DEPS=([tiff]=libjpeg-turbo)
# Only the 64-bit wide-character deliverable logs through log4cplus.
declare -A ONLY_FOR=([log4cplus]=x86_64-w64-mingw32)

TOOLS=(dpkg-dev nasm cmake make tar gzip bzip2 xz-utils
       g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
       binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 libz-mingw-w64-dev)

say() { printf 'deps: %s\n' "$*"; }
die() { printf 'deps: error: %s\n' "$*" >&2; exit 1; }

SUDO=
if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; fi
as_root() {
  if [[ -n $SUDO ]] && ! command -v sudo >/dev/null; then
    die "need root or sudo for: $*"
  fi
  $SUDO "$@"
}

# ---------------------------------------------------------------------------
# Host tools. One dpkg-query keeps the up-to-date case fast; apt-ensure only
# runs when something is actually missing.

declare -A PKGVER=()   # installed Debian package -> version
read_installed() {
  local name status version
  PKGVER=()
  while IFS=$'\t' read -r name status version; do
    if [[ $status == ii* ]]; then PKGVER[${name%%:*}]=$version; fi
  done < <(dpkg-query -W -f='${binary:Package}\t${db:Status-Abbrev}\t${Version}\n' "${TOOLS[@]}" 2>/dev/null || true)
}

ensure_tools() {
  local name
  read_installed
  for name in "${TOOLS[@]}"; do
    [[ -n ${PKGVER[$name]:-} ]] && continue
    "$HERE/apt-ensure.sh" "${TOOLS[@]}"
    read_installed
    break
  done
  for name in "${TOOLS[@]}"; do
    [[ -n ${PKGVER[$name]:-} ]] || die "package $name is still not installed"
  done
}

# shellcheck source=scripts/deps/sources.sh
. "$HERE/deps/sources.sh"

# ---------------------------------------------------------------------------
# Build recipes. Everything from here to the end of the recipes feeds the
# stamp stored with each installed library, so changing a recipe rebuilds
# exactly the libraries it affects.

arch_cflags() {
  case $1 in
    # Browsers call into the plug-in with only 4-byte stack alignment on
    # 32-bit Windows; let GCC realign where SSE spills need 16 bytes.
    i686-*) printf '%s' '-mincoming-stack-boundary=2' ;;
    *) printf '' ;;
  esac
}

write_toolchain() {  # target file
  local t=$1
  cat >"$2" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${t%%-*})
set(CMAKE_C_COMPILER ${t}-gcc-posix)
set(CMAKE_CXX_COMPILER ${t}-g++-posix)
set(CMAKE_RC_COMPILER ${t}-windres)
set(CMAKE_AR ${t}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${t}-ranlib CACHE FILEPATH "")
set(CMAKE_ASM_NASM_COMPILER nasm)
set(CMAKE_FIND_ROOT_PATH /usr/${t})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# cmake_lib target srcdir builddir prefix [cmake args...]
cmake_lib() {
  local t=$1 src=$2 bld=$3 prefix=$4; shift 4
  local flags
  # Separate sections let the plug-in's link drop what it never calls.
  flags="$(arch_cflags "$t") -ffunction-sections -fdata-sections"
  cmake -S "$src" -B "$bld" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain-$t.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include \
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_VERBOSE_MAKEFILE=ON \
    -DZLIB_LIBRARY="/usr/$t/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$t/include" \
    "$@"
}

build_libjpeg_turbo() {  # target srcdir builddir prefix
  local t=$1 src=$2 bld=$3 prefix=$4
  cmake_lib "$t" "$src" "$bld" "$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_12BIT=OFF -DWITH_FUZZ=OFF
  # Only the library: the stock "all" also builds the command-line tools.
  cmake --build "$bld" --target jpeg-static -j "$JOBS"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$bld/jconfig.h" "$prefix/include/"
  cp "$bld/libjpeg.a" "$prefix/lib/"
}

build_libpng() {
  local t=$1 src=$2 bld=$3 prefix=$4
  cmake_lib "$t" "$src" "$bld" "$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF
  cmake --build "$bld" -j "$JOBS"
  cmake --install "$bld"
}

build_tiff() {
  local t=$1 src=$2 bld=$3 prefix=$4 jpeg=$5
  cmake_lib "$t" "$src" "$bld" "$prefix" \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-deprecated=OFF \
    -Dcxx=OFF -Dtiff-opengl=OFF \
    -Dzlib=ON -Djpeg=ON -Djpeg12=OFF -Dlibdeflate=OFF -Djbig=OFF -Dlerc=OFF \
    -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -DJPEG_INCLUDE_DIR="$jpeg/include" -DJPEG_LIBRARY="$jpeg/lib/libjpeg.a"
  cmake --build "$bld" -j "$JOBS"
  cmake --install "$bld"
}

build_cryptopp() {
  local t=$1 src=$2 bld=$3 prefix=$4
  # Its own makefile probes the compiler for each SIMD extension and builds
  # only the static library with the "static" goal.
  make -C "$src" -j "$JOBS" static \
    CXX="$t-g++-posix" AR="$t-ar" RANLIB="$t-ranlib" \
    CXXFLAGS="-DNDEBUG -O2 -std=c++20 $(arch_cflags "$t") -ffunction-sections -fdata-sections"
  mkdir -p "$prefix/include/cryptopp" "$prefix/lib"
  cp "$src"/*.h "$prefix/include/cryptopp/"
  # Debian's patches name the library libcrypto++.a.
  cp "$src"/libcrypto*.a "$prefix/lib/"
}

build_log4cplus() {
  local t=$1 src=$2 bld=$3 prefix=$4
  # Its CMakeLists pins C++11 with a plain variable that a cache entry cannot
  # override; the compile rule appends the newer standard after that flag.
  # No thread pool: its static initializer would start worker threads while
  # the browser loads the plug-in, and FreeLibrary then hangs joining them
  # under the loader lock. Only AsyncAppend uses the pool.
  cmake_lib "$t" "$src" "$bld" "$prefix" \
    -DUNICODE=ON -DLOG4CPLUS_SINGLE_THREADED=OFF -DLOG4CPLUS_ENABLE_THREAD_POOL=OFF -DWITH_ICONV=OFF \
    -DLOG4CPLUS_BUILD_TESTING=OFF -DLOG4CPLUS_BUILD_LOGGINGSERVER=OFF -DWITH_UNIT_TESTS=OFF \
    -DCMAKE_CXX_COMPILE_OBJECT="<CMAKE_CXX_COMPILER> <DEFINES> <INCLUDES> <FLAGS> -std=gnu++20 -o <OBJECT> -c <SOURCE>"
  cmake --build "$bld" -j "$JOBS"
  cmake --install "$bld"
}

# Installed pkg-config and CMake package files name the temporary prefix and
# would compete with deps.cmake; scripts and man pages are of no use here.
prune_install() {  # prefix
  rm -rf "$1/bin" "$1/share" "$1/lib/pkgconfig" "$1/lib/cmake" "$1/lib/libpng"
}

RECIPE_COMMON=(unpack_source arch_cflags write_toolchain cmake_lib prune_install)

# ---------------------------------------------------------------------------

# Keyed by the Debian revision (without its epoch, which no path needs), so a
# new revision rebuilds.
lib_dir() {  # lib target
  local ver=${SRCVER[${SRCPKG[$1]}]}
  printf '%s/deps/%s/%s-%s' "$CACHE" "$2" "$1" "${ver#*:}"
}

# The one archive of a library whose file name Debian's patches may change.
archive_in() {  # prefix glob
  # shellcheck disable=SC2206  # the pattern is meant to glob
  local found=("$1"/lib/$2)
  printf '%s' "${found[0]}"
}

wanted() {  # lib target
  [[ -z ${ONLY_FOR[$1]:-} || ${ONLY_FOR[$1]} == "$2" ]]
}

# Identity of one built library: recipe code, toolchain and zlib versions,
# and the identities of the libraries it was built against. Paths are left
# out so that a moved or copied cache stays valid.
declare -A STAMP=()
compute_stamp() {  # lib target
  local lib=$1 t=$2 dep extra="" gxx
  gxx=g++-mingw-w64-${t%%-*}-posix
  gxx=${gxx/x86_64/x86-64}
  for dep in ${LIB_DEPS[$lib]:-}; do extra+=" $dep:${STAMP[$dep/$t]}"; done
  STAMP[$lib/$t]=$( {
      declare -f "${RECIPE_COMMON[@]}" "build_${lib//-/_}"
      printf '%s\n' "$t" "${PKGVER[$gxx]}" "${PKGVER[libz-mingw-w64-dev]}" \
        "$(basename "$(lib_dir "$lib" "$t")")" "$extra"
    } | sha256sum | cut -d' ' -f1)
}

is_current() {  # lib target
  local dir stamp=""
  dir=$(lib_dir "$1" "$2")
  [[ -r $dir/.stamp ]] && read -r stamp <"$dir/.stamp"
  [[ $stamp == "${STAMP[$1/$2]}" ]]
}

deps_cmake_text() {  # target
  local t=$1 jpeg png tiff cryptopp log4cplus
  jpeg=$(lib_dir libjpeg-turbo "$t"); png=$(lib_dir libpng "$t"); tiff=$(lib_dir tiff "$t")
  cryptopp=$(lib_dir cryptopp "$t")
  cat <<EOF
# Generated by scripts/deps.sh for $t; rewritten on every run, do not edit.
# Link order for a static build: tiff before jpeg and zlib, png before zlib.
set(SF_JPEG_INCLUDE_DIR "$jpeg/include")
set(SF_JPEG_LIBRARY "$jpeg/lib/libjpeg.a")
set(SF_PNG_INCLUDE_DIR "$png/include")
set(SF_PNG_LIBRARY "$png/lib/libpng16.a")
set(SF_TIFF_INCLUDE_DIR "$tiff/include")
set(SF_TIFF_LIBRARY "$tiff/lib/libtiff.a")
set(SF_CRYPTOPP_INCLUDE_DIR "$cryptopp/include")
set(SF_CRYPTOPP_LIBRARY "$(archive_in "$cryptopp" 'libcrypto*.a')")
set(SF_ZLIB_INCLUDE_DIR "/usr/$t/include")
set(SF_ZLIB_LIBRARY "/usr/$t/lib/libz.a")
EOF
  if wanted log4cplus "$t"; then
    log4cplus=$(lib_dir log4cplus "$t")
    cat <<EOF
# log4cplus is a static, wide-character (UNICODE) build: compile its users
# with LOG4CPLUS_STATIC, UNICODE and _UNICODE defined. Built without its
# thread pool, so AsyncAppend=true appends synchronously.
set(SF_LOG4CPLUS_INCLUDE_DIR "$log4cplus/include")
set(SF_LOG4CPLUS_LIBRARY "$(archive_in "$log4cplus" 'liblog4cplusSU*.a')")
set(SF_DEPS_EXTRA_LIBS ws2_32)
EOF
  else
    cat <<EOF
# No log4cplus for this target.
set(SF_DEPS_EXTRA_LIBS "")
EOF
  fi
}

write_deps_cmake() {  # target
  local t=$1 file text current=""
  file=$CACHE/deps/$t/deps.cmake
  text=$(deps_cmake_text "$t")
  [[ -r $file ]] && current=$(<"$file")
  [[ $current == "$text" ]] && return 0
  # Every path it names must exist, or the CMake project fails far from here.
  local path
  while read -r path; do
    [[ -e $path ]] || die "deps.cmake for $t would name a missing path: $path"
  done < <(sed -n 's/^set(SF_[A-Z0-9_]*_\(LIBRARY\|INCLUDE_DIR\) "\(.*\)")$/\2/p' <<<"$text")
  printf '%s\n' "$text" >"$file.tmp"
  mv -f "$file.tmp" "$file"
  say "wrote $file"
}

# What each library of a target was built from, gathered from the records
# kept beside the libraries themselves.
write_manifest() {  # target
  local t=$1 lib dir file
  file=$CACHE/deps/$t/manifest.tsv
  {
    printf '# Libraries of %s, built by scripts/deps.sh from Debian source packages
' "$t"
    printf '# with Debian'"'"'s patch series applied; rewritten on every run, do not edit.
'
    printf '# library\tsource package\tDebian revision\tupstream\tpatches\tfiles (name=sha256)\n'
    for lib in "${LIBS[@]}"; do
      wanted "$lib" "$t" || continue
      dir=$(lib_dir "$lib" "$t")
      [[ -r $dir/.source ]] || die "$dir has no .source record"
      cat "$dir/.source"
    done
  } >"$file.tmp"
  mv -f "$file.tmp" "$file"
}

build_one() {  # lib target
  local lib=$1 t=$2 dir src bld log start dep_args=() dep rc
  dir=$(lib_dir "$lib" "$t")
  src=$WORK/$t/$lib-src
  bld=$WORK/$t/$lib-build
  log=$CACHE/logs/$t/$lib.log
  rm -rf "$src"
  mkdir -p "$bld" "$(dirname "$log")"
  for dep in ${LIB_DEPS[$lib]:-}; do dep_args+=("$(lib_dir "$dep" "$t")"); done
  start=$SECONDS
  say "building $(basename "$dir") for $t (log: $log)"
  rm -rf "$dir.tmp"
  # Not under `if`/`||`: errexit must stay live inside the recipe.
  set +e
  (
    set -e
    [[ -z ${SRCNOTE[${SRCPKG[$lib]}]:-} ]] || echo "note: ${SRCNOTE[${SRCPKG[$lib]}]}"
    unpack_source "$(dsc_of "${SRCPKG[$lib]}")" "$src"
    "build_${lib//-/_}" "$t" "$src" "$bld" "$dir.tmp" "${dep_args[@]}"
    prune_install "$dir.tmp"
    source_record "$lib" "$src" >"$dir.tmp/.source"
  ) >"$log" 2>&1
  rc=$?
  set -e
  # 130/143: the build died of SIGINT/SIGTERM with the rest of this run.
  (( rc == 130 || rc == 143 )) && die "interrupted while building $lib for $t; run again to finish"
  if (( rc != 0 )); then
    tail -n 40 "$log" | sed 's/^/  | /' >&2
    die "building $lib for $t failed; full log in $log"
  fi
  [[ -n $(find "$dir.tmp/lib" -name '*.a' -print -quit) ]] || die "$lib for $t installed no library"
  printf '%s\n' "${STAMP[$lib/$t]}" >"$dir.tmp/.stamp"
  # A stale build of the same version is moved aside first: a directory is
  # only ever visible under its final name when complete.
  if [[ -e $dir ]]; then mv -T "$dir" "$dir.old"; fi
  mv -T "$dir.tmp" "$dir"
  rm -rf "$dir.old" "$WORK/$t/$lib-src" "$WORK/$t/$lib-build"
  # Older versions of the same library are no longer referenced.
  local other
  for other in "$CACHE/deps/$t/$lib"-[0-9]*; do
    [[ -d $other && $other != "$dir" ]] && rm -rf "$other"
  done
  TIMES+=("$(printf '%-20s %-20s %5ss' "$t" "$(basename "$dir")" $((SECONDS - start)))")
  say "built $(basename "$dir") for $t in $((SECONDS - start))s"
}

main() {
  local targets=() t lib arg
  for arg in "$@"; do
    case $arg in
      -h|--help) usage; exit 0 ;;
      x86_64-w64-mingw32|i686-w64-mingw32) [[ " ${targets[*]} " == *" $arg "* ]] || targets+=("$arg") ;;
      *) usage >&2; die "unknown target: $arg" ;;
    esac
  done
  (( ${#targets[@]} )) || targets=("${ALL_TARGETS[@]}")

  mkdir -p "$CACHE/deps"
  exec 9>>"$CACHE/deps/.lock"
  if ! flock -n 9; then
    say "waiting for another deps.sh run to finish"
    flock 9
  fi

  ensure_tools
  ensure_versions

  # The revision decides the cache key, so it is settled (and its files are
  # in the cache) before anything is planned.
  choose_revisions

  local todo=()
  for t in "${targets[@]}"; do
    for lib in "${LIBS[@]}"; do
      wanted "$lib" "$t" || continue
      compute_stamp "$lib" "$t"
      is_current "$lib" "$t" || todo+=("$lib/$t")
    done
  done

  if (( ${#todo[@]} == 0 )); then
    for t in "${targets[@]}"; do write_deps_cmake "$t"; write_manifest "$t"; done
    say "up to date: ${targets[*]} (in $CACHE/deps)"
    exit 0
  fi

  WORK=$(mktemp -d "${TMPDIR:-/tmp}/snapferry-deps.XXXXXX")
  trap 'rm -rf "$WORK"' EXIT
  trap 'exit 130' INT TERM
  for t in "${targets[@]}"; do
    mkdir -p "$CACHE/deps/$t" "$WORK/$t"
    write_toolchain "$t" "$WORK/toolchain-$t.cmake"
    rm -rf "$CACHE/deps/$t"/*.tmp "$CACHE/deps/$t"/*.old
  done

  TIMES=()
  local total_start=$SECONDS item
  for item in "${todo[@]}"; do build_one "${item%%/*}" "${item#*/}"; done
  for t in "${targets[@]}"; do write_deps_cmake "$t"; write_manifest "$t"; done
  say "build times:"
  printf '  %s\n' "${TIMES[@]}"
  say "all done in $((SECONDS - total_start))s"
}

main "$@"
