#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz: clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed time, or a fixed number of inputs:
#   scripts/fuzz.sh SECONDS        e.g. scripts/fuzz.sh 600
#   scripts/fuzz.sh --runs N       what the test command does (scripts/test-native.sh)
# Each target keeps its corpus in build/native-fuzz/corpus/NAME between runs; what fails is
# written to build/native-fuzz/findings/NAME (reproduce: build/native-fuzz/fuzz/NAME FILE).
# The exit status is 1 when any target found anything. WHT_FUZZ_BUILD names another build
# folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${WHT_FUZZ_BUILD:-$here/build/native-fuzz}"
case "${1:-}" in
  --runs) limit=(-runs="${2:?scripts/fuzz.sh --runs N}") ;;
  ''|-*) echo "usage: scripts/fuzz.sh SECONDS | --runs N" >&2; exit 2 ;;
  *) limit=(-max_total_time="$1") ;;
esac
CC=clang-14 CXX=clang++-14 cmake -S "$here/native" -B "$build" -DWHT_FUZZ=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
found=0
printf '%-16s %12s %8s %8s %s\n' target executions coverage features findings
for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target")
  corpus="$build/corpus/$name" findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  seeds=()
  [ -d "$here/tests/fuzz/corpus/$name" ] && seeds=("$here/tests/fuzz/corpus/$name")
  log="$findings/log.txt"
  set +e
  (cd "$findings" && "$target" "${limit[@]}" -seed=1 -rss_limit_mb=2048 -timeout=20 -max_len=4096 \
     -print_final_stats=1 "$corpus" "${seeds[@]}" >"$log" 2>&1)
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  artifacts=$(find "$findings" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%-16s %12s %8s %8s %s\n' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$artifacts"
  if [ "$artifacts" -gt 0 ] || ! grep -q '^stat::number_of_executed_units' "$log"; then
    found=1
    grep -E 'ERROR|check failed|runtime error|fatal runtime' "$log" | head -3 | sed 's/^/    /'
  fi
done
exit $found
