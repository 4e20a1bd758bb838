#!/usr/bin/env bash
# Sourced: makes sure an X display exists, starting a private Xvfb when none is given.
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
  if ! pgrep -f "Xvfb :77" >/dev/null 2>&1; then
    command -v Xvfb >/dev/null || { echo "display: no DISPLAY and no Xvfb: install it (Debian: apt-get install xvfb) or set DISPLAY" >&2; exit 1; }
    # A server that ended without cleaning up leaves its socket and lock behind.
    rm -f /tmp/.X11-unix/X77 /tmp/.X77-lock
    Xvfb :77 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 50); do [ -S /tmp/.X11-unix/X77 ] && break; sleep 0.1; done
    [ -S /tmp/.X11-unix/X77 ] || { echo "display: Xvfb :77 did not start: try 'Xvfb :77' by hand to see why" >&2; exit 1; }
  fi
fi
