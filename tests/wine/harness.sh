#!/usr/bin/env bash
# The Wine side of the end-to-end tests: one throw-away prefix and one Xvfb display per test run.
#   harness.sh setup      create the prefix, start Xvfb, map the Japanese fonts
#   harness.sh run CMD..  run a command (a Windows exe, or a script) inside that environment
#   harness.sh cleanup    stop wineserver and Xvfb, and wait for them to end
# Wine and the programs it runs get a home, config, cache, data and runtime folder under the state
# folder, never the user's; Wine makes no menu entries (winemenubuilder is off).
set -euo pipefail
state=${KESTRIVAL_WINE_STATE:-$PWD/wine-e2e}
export WINEPREFIX=$state/prefix HOME=$state/home WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share \
  XDG_STATE_HOME=$HOME/.local/state XDG_RUNTIME_DIR=$state/runtime
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)

source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
source "$(dirname "$0")/../../scripts/lib/test-state.sh"
source "$(dirname "$0")/../../scripts/lib/wine-fonts.sh"

setup() {
  cleanup
  rm -rf "$state"
  mkdir -p "$state/home" "$state/runtime"
  chmod 700 "$state/runtime"
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

# The server saves the prefix's registry as it ends: waited for, so that the prefix can be removed.
cleanup() {
  [ -d "$WINEPREFIX" ] || return 0
  "$WINESERVER" -k >/dev/null 2>&1 || true
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    local pid; pid=$(cat "$state/xvfb.pid")
    # Only the display this harness started: the number may since name another process.
    [[ $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) == Xvfb* ]] && end_processes "$pid"
    rm -f "$state/xvfb.pid"
  fi
}

"$@"
