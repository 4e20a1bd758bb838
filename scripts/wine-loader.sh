# Sourced: which Wine loader runs programs of a target, and whether this host runs 32-bit code.

# wine_loader ARCH: prints the loader for i686 or x86_64 programs (WHT_WINE32, when set, is
# the 32-bit loader to use before any other). Debian's /usr/bin/wine
# prefers the 32-bit loader whenever it is installed, even where it cannot run, so the
# loaders are named directly.
wine_loader() {
  local c
  case "$1" in
    i686) for c in ${WHT_WINE32:-} /usr/lib/wine/wine "$(command -v wine 2>/dev/null)"; do
            [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return 0; }; done ;;
    x86_64) for c in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
              [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return 0; }; done ;;
  esac
  return 1
}

# runs_32bit_code: true when the 32-bit Wine loader starts. Decided by trying it: kernels
# booted without IA-32 emulation, and systems without 32-bit support, refuse to execute it
# ("Exec format error"). On failure, WHY_NO_32BIT says what happened.
runs_32bit_code() {
  local loader out
  WHY_NO_32BIT=""
  loader=$(wine_loader i686) || { WHY_NO_32BIT="no 32-bit Wine loader is installed"; return 1; }
  if out=$("$loader" --version 2>&1); then return 0; fi
  out=$(printf '%s' "$out" | head -n 1)
  WHY_NO_32BIT="$loader --version: ${out##*: }"
  return 1
}
