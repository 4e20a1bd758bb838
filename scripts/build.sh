#!/usr/bin/env bash
# Installs what is missing, then configures and builds both Windows targets, build/i686 and
# build/x86_64, and the native program with its tests, build/native (build/native/wht).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
for arch in i686 x86_64; do
  echo "build: $arch"
  cmake -S "$here" -B "$here/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$here/build/$arch" -j"$(nproc)"
done
echo "build: native"
cmake -S "$here/native" -B "$here/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build/native" -j"$(nproc)"
