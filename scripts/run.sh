#!/usr/bin/env bash
# Builds the program and starts it (under Wine on Linux and macOS): the i686 program where
# this host runs 32-bit code, the x86_64 one elsewhere.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/build.sh"
source "$here/scripts/display.sh"
source "$here/scripts/wine-loader.sh"
if runs_32bit_code; then arch=i686; else arch=x86_64; fi
loader=$(wine_loader $arch) || { echo "run: no Wine loader for $arch programs: run scripts/setup.sh" >&2; exit 1; }
echo "run: starting build/$arch/wenhuitong.exe${WHY_NO_32BIT:+ (no 32-bit code here: $WHY_NO_32BIT)}"
export WINEPREFIX="${WINEPREFIX:-$here/build/wine-run-$arch}" WINEDEBUG=-all WINELOADER="$loader"
exec "$loader" "$here/build/$arch/wenhuitong.exe"
