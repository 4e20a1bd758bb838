#!/usr/bin/env bash
# Builds both targets and runs every test under Wine, in both test locales: the x86_64 suite
# always, the i686 suite wherever this host runs 32-bit code; then the native build and its
# tests (scripts/test-native.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/build.sh"
source "$here/scripts/display.sh"
source "$here/scripts/wine-loader.sh"

suites=()
if runs_32bit_code; then
  suites+=(i686)
else
  echo "test: i686 suite SKIPPED (not run, not passed): this host runs no 32-bit code ($WHY_NO_32BIT); only the x86_64 suite runs"
fi
suites+=(x86_64)

failed=()
for arch in "${suites[@]}"; do
  echo "test: $arch suite"
  (cd "$here/build/$arch" && ctest -j"$(nproc)" --output-on-failure) || failed+=("$arch")
done
echo "test: native suite"
bash "$here/scripts/test-native.sh" || failed+=(native)
suites+=(native)
if [ ${#failed[@]} -gt 0 ]; then
  echo "test: FAILED in the ${failed[*]} suite(s)"
  exit 1
fi
echo "test: passed: ${suites[*]}"
