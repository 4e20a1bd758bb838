#!/usr/bin/env bash
# Benchmarks every engine routine that a menu item or radio box reaches, in process, on
# generated inputs, beside Python's standard library; writes docs/benchmark.md.
#   BENCH_SIZES="1 10 100"  input sizes in MB (i686: BENCH_SIZES_I686, "1 10" by default: a
#   32-bit process has 4 GB at most)     BENCH_TIMEOUT=120  seconds per run
# The x86_64 build always; the i686 build too where this host runs 32-bit code.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
sizes=${BENCH_SIZES:-1 10 100}
limit=${BENCH_TIMEOUT:-120}
bash "$here/scripts/setup.sh" >/dev/null
source "$here/scripts/wine-loader.sh"
builds=(x86_64)
if runs_32bit_code; then builds+=(i686); else echo "bench: i686 skipped: $WHY_NO_32BIT"; fi

raw=$(mktemp)
for arch in "${builds[@]}"; do
  cmake -S "$here" -B "$here/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$here/build/$arch" --target bench -j"$(nproc)" >/dev/null
  loader=$(wine_loader "$arch")
  export WINEPREFIX="$here/build/$arch/wine-bench" WINEDEBUG=-all WINELOADER="$loader" LC_ALL=zh_CN.UTF-8
  [ -f "$WINEPREFIX/system.reg" ] || { "$loader" wineboot -i >/dev/null 2>&1; wineserver -w; }
  exe="$here/build/$arch/bench.exe"
  for name in $("$loader" "$exe" --list | tr -d '\r'); do
    run_sizes=$sizes
    [ "$arch" = i686 ] && run_sizes=${BENCH_SIZES_I686:-1 10}
    for mb in $run_sizes; do
      status=0
      line=$(timeout "$limit" "$loader" "$exe" "$name" "$mb" 2>/dev/null | tr -d '\r') || status=$?
      py=$(python3 "$here/tools/bench/python_baseline.py" "$name" "$mb" 2>/dev/null || true)
      if [ -n "$line" ]; then
        printf '%s\t%s\t%s\n' "$arch" "$line" "${py:--}" >> "$raw"
      else
        what="failed"
        [ "$status" = 124 ] && what="timeout>${limit}s"
        printf '%s\t%s\t%s\t%s\t0\t0\t0\t%s\n' "$arch" "$name" "$mb" "$what" "${py:--}" >> "$raw"
        wineserver -k 2>/dev/null || true
      fi
      echo "bench: $arch $name $mb MB: $(tail -n 1 "$raw" | cut -f4)"
    done
  done
  wineserver -k 2>/dev/null || true
done

out="$here/docs/benchmark.md"
{
  echo "# Benchmark"
  echo
  echo "Made by \`scripts/bench.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), under $("$(wine_loader x86_64)" --version)."
  echo "Sizes: $sizes MB of input (i686: ${BENCH_SIZES_I686:-1 10}); time in seconds of the routine alone, in process; peak: the most heap the"
  echo "runtime held beyond the input during the routine, divided by input + output bytes."
  echo "Python: $(python3 --version), the standard library's counterpart on an input of the same kind and size."
  echo
  python3 "$here/tools/bench/report.py" "$raw"
} > "$out"
rm -f "$raw"
# The console program's rows run on the x86_64 build only (its i686 twin reads the same way).
cmake --build "$here/build/x86_64" --target wht -j"$(nproc)" >/dev/null
{ echo; bash "$here/scripts/bench-console.sh"; } >> "$out"
cat "$out"
