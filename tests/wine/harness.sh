#!/usr/bin/env bash
# The Wine side of the end-to-end tests: one throw-away prefix and one Xvfb display per test run.
#   harness.sh setup      create the prefix, start Xvfb, map the Japanese fonts
#   harness.sh run CMD..  run a command (a Windows exe, or a script) inside that environment
#   harness.sh cleanup    stop wineserver and Xvfb
set -euo pipefail
state=${KESTRIVAL_WINE_STATE:-$PWD/wine-e2e}
export WINEPREFIX=$state/prefix HOME=$state/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)

source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
source "$(dirname "$0")/../../scripts/lib/wine-fonts.sh"

setup() {
  rm -rf "$state"
  mkdir -p "$state/home"
  start_xvfb
  echo "$XVFB_PID" >"$state/xvfb.pid"
  echo "$DISPLAY" >"$state/display"
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  link_japanese_faces
  "$WINESERVER" -w || true
  echo "wine prefix ready at $WINEPREFIX on display $DISPLAY"
}

run() {
  export DISPLAY=$(cat "$state/display")
  export KESTRIVAL_WINE_STATE=$state
  "$@"
}

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
}

"$@"
