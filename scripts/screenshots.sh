#!/usr/bin/env bash
# Screenshots of the program under Wine and Xvfb: each group, each pop-up menu, the about
# window. Writes docs/screenshots/*.png. Needs a build (scripts/build.sh). WHT_ARCH picks the
# program (i686 or x86_64); by default the i686 one where this host runs 32-bit code.
# WHT_DPI=144 takes them on a display at 150 % (a Wine prefix of its own) as *-150.png.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/wine-loader.sh"
if [ -z "${WHT_ARCH:-}" ]; then
  if runs_32bit_code; then WHT_ARCH=i686; else WHT_ARCH=x86_64; fi
fi
export WHT_ARCH
build="${WHT_BUILD_DIR:-$here/build/$WHT_ARCH}"
out="$here/docs/screenshots"
mkdir -p "$out"

dpi=${WHT_DPI:-96}
export WHT_DPI=$dpi
suffix=""
[ "$dpi" = 96 ] || suffix="-$((dpi * 100 / 96))"
width=$((760 * dpi / 96)) height=$((520 * dpi / 96))

export DISPLAY=:79
Xvfb :79 -screen 0 $((width + 64))x$((height + 64))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -S /tmp/.X11-unix/X79 ] && break; sleep 0.1; done

export WHT_LOCALE=zh WHT_BUILD="$build"
run="$here/tests/support/wine-run.sh"
"$run" --init
# A Wine desktop gives the windows their frames and title bars.
desktop="explorer /desktop=wenhuitong,${width}x${height}"
"$run" $desktop "$build/wenhuitong.exe" &
program=$!
act() { "$run" $desktop "$build/tests/test_e2e.exe" "--child=$1" >/dev/null 2>&1 || true; sleep "${2:-1}"; }
shot() { import -window root -crop "${width}x${height}+0+0" +repage "$out/$1$suffix.png"; }

sleep 3
act shot_encoding_group; shot main-encoding
act shot_base_group;     shot main-base
act shot_case_group;     shot main-case
act shot_encoding_group
n=0
for menu in encrypt wenhuitong1 wenhuitong2 digests one-click; do
  n=$((n + 1))
  act "shot_menu_$n" 2; shot "menu-$menu"; act shot_close_menu
done
act shot_file_menu 2; shot menu-file; act shot_close_menu
act shot_about 2; shot about
act shot_quit 2
wait $program 2>/dev/null || true
echo "screenshots of the $WHT_ARCH program at $dpi DPI in $out"
