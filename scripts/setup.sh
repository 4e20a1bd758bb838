#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine (as root).
# Safe to run again: each step checks first and does nothing when its result is there.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
deps="$here/build/deps"
prefix="$deps/prefix"

packages=(wine wine32 wine64 xvfb g++-mingw-w64-i686 mingw-w64-tools
          libz-mingw-w64-dev fonts-wqy-microhei imagemagick doctest-dev
          cmake make dpkg-dev xz-utils bzip2 unicode-data python3 procps)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# libpng and libjpeg have no MinGW packages: build them from Debian's sources.
src_list=/etc/apt/sources.list.d/debian-src.sources
need_src() { [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/lib/libjpeg.a" ] && return 1; return 0; }
if need_src; then
  if [ ! -f "$src_list" ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
    apt-get update -qq
  fi
  mkdir -p "$deps/src"
  toolchain="$here/cmake/mingw-i686.cmake"
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
    echo "setup: could not fetch the source of $pkg" >&2
    return 1
  }
  ( cd "$deps/src" && fetch_source libjpeg-turbo libjpeg-turbo-src && fetch_source libpng1.6 libpng-src )
  if [ ! -f "$prefix/lib/libjpeg.a" ]; then
    cmake -S "$deps/src/libjpeg-turbo-src" -B "$deps/build-jpeg" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF \
      -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF >/dev/null
    cmake --build "$deps/build-jpeg" -j"$(nproc)" >/dev/null
    cmake --install "$deps/build-jpeg" >/dev/null
  fi
  if [ ! -f "$prefix/lib/libpng16.a" ]; then
    cmake -S "$deps/src/libpng-src" -B "$deps/build-png" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
      -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF >/dev/null
    cmake --build "$deps/build-png" -j"$(nproc)" >/dev/null
    cmake --install "$deps/build-png" >/dev/null
  fi
fi
echo "setup: ready"
