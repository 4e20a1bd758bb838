#!/usr/bin/env bash
# Shows, outside the program, what becomes of a large WM_SETTEXT from another process under
# Wine: a bare receiving window (tools/settext_pair/receiver.cpp) built with the usual 2 MB
# stack and with the stack wenhuitong.exe has, and a sender that sets texts of growing
# size in it. Wine copies the text onto the receiver's stack before its window sees it.
#   scripts/settext-pair.sh [UNITS...]     default: 1000000 1040000 1048576 4194304
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/display.sh"
source "$here/scripts/wine-loader.sh"
loader=$(wine_loader x86_64) || { echo "settext-pair: no Wine loader for x86_64" >&2; exit 1; }
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000000 1040000 1048576 4194304)
out="$here/build/settext-pair"
mkdir -p "$out"
cxx="x86_64-w64-mingw32-g++ -O2 -static"
$cxx -mwindows -o "$out/receiver-2mb.exe" "$here/tools/settext_pair/receiver.cpp"
$cxx -mwindows -Wl,--stack,536870912 -o "$out/receiver-512mb.exe" "$here/tools/settext_pair/receiver.cpp"
$cxx -o "$out/sender.exe" "$here/tools/settext_pair/sender.cpp"

export WINEPREFIX=${WINEPREFIX:-$here/build/wine-run-x86_64} WINEDEBUG=-all
for receiver in receiver-2mb receiver-512mb; do
  echo "$receiver:"
  for units in "${sizes[@]}"; do
    "$loader" "$out/$receiver.exe" >/dev/null 2>&1 &
    pid=$!
    "$loader" "$out/sender.exe" "$units" 2>/dev/null || true
    wait "$pid" || true
  done
done
