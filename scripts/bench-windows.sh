#!/usr/bin/env bash
# Times every menu item and radio box through the real program's windows on 256 KB and
# 2 MB of input (tools/bench_windows/windows_bench.cpp) and writes the growth per item,
# 2 MB / 256 KB, to docs/benchmark-windows.md. Linear would be 8; the target is at most 12.
# The x86_64 build always; the i686 build too where this host runs 32-bit code.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh" >/dev/null
source "$here/scripts/wine-loader.sh"
source "$here/scripts/display.sh"
builds=(x86_64)
if runs_32bit_code; then builds+=(i686); else echo "bench-windows: i686 skipped: $WHY_NO_32BIT"; fi
raw=$(mktemp)
for arch in "${builds[@]}"; do
  cmake -S "$here" -B "$here/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" >/dev/null
  cmake --build "$here/build/$arch" --target windows_bench -j"$(nproc)" >/dev/null
  # The Chinese test prefix, as the end-to-end tests run the program.
  run="$here/tests/support/wine-run.sh"
  WHT_ARCH=$arch WHT_LOCALE=zh bash "$run" --init
  WHT_ARCH=$arch WHT_LOCALE=zh timeout 1800 bash "$run" "$here/build/$arch/tests/windows_bench.exe" | tr -d '\r' | iconv -c -f CP936 -t utf-8 |
    sed "s/^/$arch\t/" | tee -a "$raw"
done
out="$here/docs/benchmark-windows.md"
python3 - "$raw" > "$out" <<'PY'
import sys, collections, datetime, os
rows = collections.OrderedDict()
for line in open(sys.argv[1], encoding="utf-8"):
    arch, item, kb, t, begins = line.rstrip("\n").split("\t")
    rows.setdefault((arch, item), {})[int(kb)] = float(t)
    rows[(arch, item)]["begins"] = begins
print("# Benchmark through the windows\n")
print(f"Made by `scripts/bench-windows.sh` on {datetime.date.today()}, {os.cpu_count()} cores.")
print("Seconds from choosing the item to its result in the output box with the status bar quiet;")
print("decoders are fed their encoder's output. Growth: t(2 MB) / t(256 KB); linear input work is 8.\n")
print("| build | item | t(256 KB) s | t(2 MB) s | growth | 2 MB result begins |")
print("|---|---|---|---|---|---|")
for (arch, item), t in rows.items():
    a, b = t.get(256, -1), t.get(2048, -1)
    growth = f"{b / a:.1f}" if a > 0 and b > 0 else "-"
    begins = t["begins"].replace("|", "\\|")
    print(f"| {arch} | {item} | {a:.3f} | {b:.3f} | {growth} | `{begins}` |")
PY
rm -f "$raw"
cat "$out"
