#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix of the locale WHT_LOCALE (zh or en),
# with the Wine loader of the target WHT_ARCH (i686 or x86_64). WHT_DPI (96 when unset) picks
# a prefix of its own whose display has that many pixels per inch, so that a scaled display
# never reaches the other suites' prefix.
#   wine-run.sh --init        creates the prefix when it is missing
#   wine-run.sh PROGRAM ARGS  runs a program
set -u
locale=${WHT_LOCALE:-zh}
arch=${WHT_ARCH:-i686}
build=${WHT_BUILD:-$(cd "$(dirname "$0")/../../build/$arch" && pwd)}
case "$locale" in
  zh) { export LC_ALL=zh_CN.UTF-8; } 2>/dev/null ;;  # no glibc locale needed: Wine reads the name
  en) { export LC_ALL=en_US.UTF-8; } 2>/dev/null ;;
  *) echo "wine-run: unknown locale $locale" >&2; exit 2 ;;
esac
source "$(dirname "$0")/../../scripts/wine-loader.sh"
loader=$(wine_loader "$arch") || { echo "wine-run: no Wine loader for $arch programs: run scripts/setup.sh (Debian: packages wine64 and wine32)" >&2; exit 2; }
# Programs that Wine starts for this one (an end-to-end test starts the program) use the
# same loader.
export WINELOADER="$loader"
dpi=${WHT_DPI:-96}
case "$dpi" in [1-9][0-9]|[1-9][0-9][0-9]) ;; *) echo "wine-run: WHT_DPI=$dpi is no DPI" >&2; exit 2 ;; esac
export WINEPREFIX="$build/wine-$locale"
[ "$dpi" = 96 ] || WINEPREFIX="$WINEPREFIX-dpi$dpi"
export WINEDEBUG=-all
# No debugger on a crash: the test fails at once instead of waiting for its time-out.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export DISPLAY=${DISPLAY:-:77}
if [ "${1:-}" = "--init" ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  pixels="\"LogPixels\"=dword:$(printf '%08x' "$dpi")"
  if [ "$dpi" != 96 ] && ! grep -qi "$pixels" "$WINEPREFIX/user.reg"; then
    # Wine reads the display's pixels per inch from here (winecfg's "Screen resolution"). The
    # programs run on a virtual desktop of a 1024 x 768 display at that scale, as a monitor
    # set to it would be, whatever the size of the X screen.
    "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
      /d "$((1024 * dpi / 96))x$((768 * dpi / 96))" /f >/dev/null 2>&1
    wineserver -w
    grep -qi "$pixels" "$WINEPREFIX/user.reg" || { echo "wine-run: could not set LogPixels in $WINEPREFIX" >&2; exit 1; }
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: could not create the Wine prefix $WINEPREFIX with $loader: try '$loader wineboot -i' with WINEPREFIX set to see why" >&2; exit 1; }
  exit 0
fi
exec "$loader" "$@"
