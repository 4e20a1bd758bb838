#!/usr/bin/env bash
# Runs the window suites (e2e, both locales) again and again with a CPU-bound busy loop on
# every core beside them, and counts the runs that failed: a suite that passes only on a
# quiet machine is flaky. Not part of the test command; run it after changing the driver.
#   scripts/e2e-repeat.sh [RUNS] [ARCH]     (defaults: 10 x86_64)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-10}"
arch="${2:-x86_64}"
build="$here/build/$arch"
[ -f "$build/tests/test_e2e.exe" ] || bash "$here/scripts/build.sh"
source "$here/scripts/display.sh"

load=()
stop_load() { [ ${#load[@]} -eq 0 ] || kill "${load[@]}" 2>/dev/null || true; }
trap stop_load EXIT
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  load+=($!)
done
echo "repeat: $runs runs of e2e.zh and e2e.en ($arch) beside ${#load[@]} busy loops"

failed=0
for run in $(seq "$runs"); do
  start=$(date +%s)
  if (cd "$build" && ctest -R '^e2e\.' --output-on-failure >"/tmp/e2e-repeat-$run.log" 2>&1); then
    echo "repeat: run $run passed ($(( $(date +%s) - start )) s)"
  else
    failed=$((failed + 1))
    echo "repeat: run $run FAILED ($(( $(date +%s) - start )) s): /tmp/e2e-repeat-$run.log"
  fi
done
echo "repeat: $((runs - failed)) of $runs runs passed, $failed failed"
[ "$failed" -eq 0 ]
