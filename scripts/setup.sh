#!/usr/bin/env bash
# Everything a fresh Debian 12 machine needs before the project builds: Debian packages,
# the zh_CN.UTF-8 locale that Wine needs for code page 936, and the static dependency cache.
# Cheap when everything is there already.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(
  # build
  make cmake g++ clang libclang-rt-14-dev pkg-config xz-utils dpkg-dev nasm
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 libz-mingw-w64-dev
  libboost-dev googletest libgtest-dev
  # native builds of the portable modules
  libjpeg62-turbo-dev libpng-dev libtiff-dev libcrypto++-dev zlib1g-dev
  # running the Windows tests
  wine wine64 libwine-dev xvfb xauth locales tzdata fonts-wqy-microhei
  # benchmarks and generated pictures
  libjpeg-turbo-progs imagemagick libvips-tools python3-pil
  time  # peak memory of the image benchmark
  # the upload receiver and the demo
  php-cli curl
  openssl  # certificates for the HTTPS test
)
"$here/apt-ensure.sh" "${packages[@]}"

# Where the kernel runs 32-bit programs, Wine's 32-bit half runs the i686 build's tests: the real
# NPAPI target. Elsewhere the 32-bit suite is skipped (make test says so).
if "$here/runs-32bit.sh" >/dev/null; then
  update=
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO dpkg --add-architecture i386
    update=--update
  fi
  "$here/apt-ensure.sh" $update wine32:i386
fi

# Wine derives its ANSI code page from the glibc locale; without zh_CN.UTF-8 it falls back to 1252.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if grep -qE '^#? *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i -E 's/^# *(zh_CN.UTF-8 UTF-8)/\1/' /etc/locale.gen
  else
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi

"$here/deps.sh" x86_64-w64-mingw32 i686-w64-mingw32
