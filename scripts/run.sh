#!/usr/bin/env bash
# Builds the program and starts it (under Wine on Linux and macOS).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/build.sh"
source "$here/scripts/display.sh"
export WINEPREFIX="${WINEPREFIX:-$here/build/wine-run}" WINEDEBUG=-all
exec wine "$here/build/wenhuitong.exe"
