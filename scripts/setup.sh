#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine (as root), for both
# targets (i686 and x86_64). Safe to run again: each step checks first and does nothing when
# its result is there.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
deps="$here/build/deps"
archs=(i686 x86_64)

fail() { echo "setup: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || command -v sudo >/dev/null || fail "run as root (or install sudo): packages must be installed"
command -v apt-get >/dev/null || fail "this script needs Debian's apt-get; on another system install Wine, Xvfb and MinGW-w64 (i686 and x86_64) by hand"
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(wine wine64 xvfb g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev fonts-wqy-microhei
          imagemagick doctest-dev libcli11-dev cmake make dpkg-dev xz-utils bzip2 unicode-data python3 procps
          libc-l10n gettext gettext-base iso-codes hunspell-ko
          g++ pkg-config nettle-dev clang-14 libclang-rt-14-dev)
# 32-bit Wine is installed wherever the package is to be had: it does no harm on a host that
# cannot run it, and the tests decide by trying whether it runs.
packages32=(wine32:i386)

missing=()
for p in "${packages[@]}" "${packages32[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq || fail "apt-get update failed: check the network and /etc/apt/sources.list.d"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null \
    || fail "could not install ${missing[*]} (see apt-get's messages above)"
fi

# libpng and libjpeg have no MinGW packages: build them from Debian's sources, once per target.
src_list=/etc/apt/sources.list.d/debian-src.sources
built() { [ -f "$deps/$1/prefix/lib/libpng16.a" ] && [ -f "$deps/$1/prefix/lib/libjpeg.a" ]; }
need_src=0
for a in "${archs[@]}"; do built "$a" || need_src=1; done
if [ $need_src = 1 ]; then
  if [ ! -f "$src_list" ]; then
    [ -f /etc/apt/sources.list.d/debian.sources ] || fail "no /etc/apt/sources.list.d/debian.sources to derive a deb-src entry from"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$src_list" >/dev/null
    as_root apt-get update -qq
  fi
  mkdir -p "$deps/src"
  # The newest listed version is not always on the mirror yet: try each, newest first.
  fetch_source() {
    local pkg=$1 dir=$2 v
    [ -d "$dir" ] && return 0
    for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/{print $2}' | sort -rV); do
      rm -rf "$pkg"-*/
      if apt-get source -qq "$pkg=$v" >/dev/null 2>&1; then
        mv "$(ls -d "$pkg"-*/ | head -1)" "$dir"
        return 0
      fi
    done
    fail "could not fetch the source of $pkg"
  }
  ( cd "$deps/src" && fetch_source libjpeg-turbo libjpeg-turbo-src && fetch_source libpng1.6 libpng-src )
  for a in "${archs[@]}"; do
    prefix="$deps/$a/prefix"
    toolchain="$here/cmake/mingw-$a.cmake"
    if [ ! -f "$prefix/lib/libjpeg.a" ]; then
      echo "setup: building libjpeg for $a"
      cmake -S "$deps/src/libjpeg-turbo-src" -B "$deps/$a/build-jpeg" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF \
        -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF >/dev/null
      cmake --build "$deps/$a/build-jpeg" -j"$(nproc)" >/dev/null
      cmake --install "$deps/$a/build-jpeg" >/dev/null
    fi
    if [ ! -f "$prefix/lib/libpng16.a" ]; then
      echo "setup: building libpng for $a"
      cmake -S "$deps/src/libpng-src" -B "$deps/$a/build-png" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF >/dev/null
      cmake --build "$deps/$a/build-png" -j"$(nproc)" >/dev/null
      cmake --install "$deps/$a/build-png" >/dev/null
    fi
  done
fi
echo "setup: ready"
