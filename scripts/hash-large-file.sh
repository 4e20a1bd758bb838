#!/usr/bin/env bash
# 文件 → 文件哈希 on a large file through the real window, driven as a user drives it (Alt+F,
# H, the path typed into the dialog; then Ctrl+S to save the report). Prints the time, the
# program's peak memory, whether the window repainted on the way, and the digests beside
# md5sum and sha256sum.
#   scripts/hash-large-file.sh [ARCH] [GB]    ARCH: x86_64 (default) or i686; GB: 6 (default)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
arch=${1:-x86_64}
gb=${2:-6}
source "$here/scripts/display.sh"
source "$here/scripts/wine-loader.sh"
command -v xdotool >/dev/null || apt-get install -y xdotool >/dev/null
command -v import >/dev/null || apt-get install -y imagemagick >/dev/null
loader=$(wine_loader "$arch") || { echo "hash-large-file: no Wine loader for $arch" >&2; exit 1; }
exe="$here/build/$arch/wenhuitong.exe"
[ -f "$exe" ] || bash "$here/scripts/build.sh"

work="$here/build/bench-window"
mkdir -p "$work"
input="$work/large-${gb}G.bin"
if [ ! -f "$input" ]; then
  # 64 MB of random bytes over and over: a slice lost, doubled or misplaced changes every digest.
  python3 - "$input" "$gb" <<'PY'
import os, random, sys
block = random.Random(18).randbytes(64 << 20)
with open(sys.argv[1], "wb") as f:
    for _ in range(int(sys.argv[2]) * 16):
        f.write(block)
PY
fi
report="$work/report-$arch.txt"
rm -f "$report" "$work"/shot-*.png
winpath() { echo "Z:${1//\//\\}"; }

export WINEPREFIX="$here/build/wine-run-$arch" WINEDEBUG=-all WINELOADER="$loader"
"$loader" "$exe" >/dev/null 2>&1 &
trap 'WINEPREFIX="$WINEPREFIX" "$(dirname "$loader")/wineserver" -k 2>/dev/null || true' EXIT
main=""
for _ in $(seq 120); do main=$(xdotool search --name '^文汇通 v1.0$' 2>/dev/null | head -n 1) && [ -n "$main" ] && break; sleep 0.5; done
[ -n "$main" ] || { echo "hash-large-file: the window did not appear" >&2; exit 1; }
sleep 3  # the window is mapped before it takes keys
pid=$(pgrep -f 'wenhuitong\.exe' | while read -r p; do [ "$(cat /proc/$p/comm)" != bash ] && echo "$p"; done | tail -n 1)

# Answers the next file dialog: its name box has the focus when it opens (there is no window
# manager on the test display to ask which window is active).
answer_dialog() {
  sleep 2
  xdotool type --delay 20 "$1"
  xdotool key Return
}

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key alt+f
sleep 1
xdotool key h
answer_dialog "$(winpath "$input")"
start=$(date +%s.%N)
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Done when the program goes idle; screenshots on the way show whether the status bar moved.
prev=$(ticks); idle=0; n=0
for _ in $(seq 20); do sleep 0.5; [ $(($(ticks) - prev)) -ge 5 ] && break; done
[ $(($(ticks) - prev)) -ge 5 ] || { import -window root "$work/shot-failed.png"; echo "hash-large-file: the digests did not start ($work/shot-failed.png)" >&2; exit 1; }
while [ $idle -lt 2 ]; do
  sleep 1
  now=$(ticks)
  if [ $((now - prev)) -lt 5 ]; then idle=$((idle + 1)); else idle=0; fi
  prev=$now; n=$((n + 1))
  [ $((n % 10)) -eq 5 ] && import -window root "$work/shot-$(printf %03d $n).png"
done
seconds=$(echo "$(date +%s.%N) - $start - 2" | bc)
peak_kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key ctrl+s
answer_dialog "$(winpath "$report")"
for _ in $(seq 60); do [ -s "$report" ] && break; sleep 0.5; done
[ -s "$report" ] || { echo "hash-large-file: the report was not saved" >&2; exit 1; }

ours() { grep -a "$1" "$report" | sed 's/.*： //' | tr -d '\r' | tr 'A-F' 'a-f'; }
md5=$(md5sum "$input" | cut -d' ' -f1)
sha256=$(sha256sum "$input" | cut -d' ' -f1)
shots=$(ls "$work"/shot-*.png 2>/dev/null | wc -l)
distinct=$(md5sum "$work"/shot-*.png 2>/dev/null | cut -d' ' -f1 | sort -u | wc -l)
echo "hash-large-file: $arch, $gb GB ($(stat -c %s "$input") bytes), $(nproc) cores, $("$loader" --version)"
printf 'hash-large-file: %.1f s (%.0f MB/s), peak memory (VmHWM) %d MB\n' "$seconds" \
  "$(echo "$(stat -c %s "$input") / 1048576 / $seconds" | bc -l)" $((peak_kb / 1024))
echo "hash-large-file: $distinct different pictures of the window among $shots screenshots taken while it worked ($work/shot-*.png)"
status=0
[ "$(ours 'MD5')" = "$md5" ] && echo "hash-large-file: MD5 equals md5sum ($md5)" || { echo "hash-large-file: MD5 DIFFERS: $(ours MD5) vs $md5"; status=1; }
[ "$(ours 'sha256')" = "$sha256" ] && echo "hash-large-file: SHA-256 equals sha256sum ($sha256)" || { echo "hash-large-file: SHA-256 DIFFERS: $(ours sha256) vs $sha256"; status=1; }
exit $status
