#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix of the locale WHT_LOCALE (zh or en).
#   wine-run.sh --init        creates the prefix when it is missing
#   wine-run.sh PROGRAM ARGS  runs a program
set -u
locale=${WHT_LOCALE:-zh}
build=${WHT_BUILD:-$(cd "$(dirname "$0")/../../build" && pwd)}
case "$locale" in
  zh) export LC_ALL=zh_CN.UTF-8 ;;
  en) export LC_ALL=en_US.UTF-8 ;;
  *) echo "wine-run: unknown locale $locale" >&2; exit 2 ;;
esac
export WINEPREFIX="$build/wine-$locale"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=${DISPLAY:-:77}
if [ "${1:-}" = "--init" ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: could not create $WINEPREFIX" >&2; exit 1; }
  exit 0
fi
exec wine "$@"
