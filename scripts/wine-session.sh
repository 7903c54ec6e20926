#!/usr/bin/env bash
# Starts or stops what the Windows tests of one build tree share: a private
# Xvfb display and one persistent wineserver (without it every wine run costs
# seconds).
#   wine-session.sh start|stop BUILD_DIR
# State lives in BUILD_DIR/wine: prefix/, home/, display (the X display name),
# arch (the tree's architecture, written by CMake; x86 when absent).
set -euo pipefail
cmd=$1
mkdir -p "$2"
state=$(cd "$2" && pwd)/wine
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$state/prefix WINEDEBUG=-all HOME=$state/home
arch=$(cat "$state/arch" 2>/dev/null || echo x86)
. "$here/wine-arch.sh"
wine_arch "$arch"

stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display"
}

xvfb_alive() {
  [ -f "$state/xvfb.pid" ] && [ -f "$state/display" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
}

# Reuses a live display and wineserver, so that a second ctest run in the same
# tree does not pull the session from under the first.
start() {
  mkdir -p "$state"
  "$here/wine-prefix.sh" "$WINEPREFIX" "$HOME" "$arch"
  if ! xvfb_alive; then
    start_xvfb
  fi
  # Exits at once when this prefix's wineserver is already up.
  export DISPLAY
  DISPLAY=$(cat "$state/display")
  setsid wineserver -p </dev/null >/dev/null 2>&1 || true
  # The first program of a session starts Wine's background services, which
  # inherit its standard handles; start them here, away from any test's pipes
  # (a test's output pipe held open by them would never reach end of file).
  WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$wine_loader" cmd /c exit </dev/null >/dev/null 2>&1
}

start_xvfb() {
  rm -f "$state/display.fd"
  # -displayfd picks a free display number; others may run Xvfb here too.
  # -r: no auto-repeat. On a loaded machine a typed key may be held past the
  # repeat delay before its release is processed, and would type twice.
  setsid Xvfb -displayfd 5 -r -screen 0 1024x768x24 -nolisten tcp 5>"$state/display.fd" \
    </dev/null >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  local i
  for i in $(seq 1 100); do
    [ -s "$state/display.fd" ] && break
    sleep 0.1
  done
  [ -s "$state/display.fd" ] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
  echo ":$(tr -d '\n' <"$state/display.fd")" >"$state/display"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wine-session.sh start|stop BUILD_DIR" >&2; exit 2 ;;
esac
