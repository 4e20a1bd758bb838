#!/usr/bin/env bash
# Builds everything and runs every test under Wine, in both test locales.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/build.sh"
source "$here/scripts/display.sh"
cd "$here/build"
ctest -j"$(nproc)" --output-on-failure
