#!/usr/bin/env bash
# Builds Kestrival and runs it.
#   scripts/run.sh [LOCAL]              the Linux gadget (Qt 6), natively
#   scripts/run.sh --windows [LOCAL]    Kestrival.exe under Wine, in a prefix of its own
#                                       (out/run-prefix) whose dialog faces show Japanese
#   scripts/run.sh -h                   this help
# Arguments after the options go to the gadget (LOCAL keeps the settings file beside the program).
# With a display (DISPLAY set) the gadget runs there until you quit it from its menu, and keeps its
# settings in your documents folder. Without one it starts a virtual display (Xvfb), lets the
# gadget run for KESTRIVAL_RUN_SECONDS (6 by default), saves a screenshot to
# out/kestrival-screenshot.png, quits the gadget as its menu would (so it saves its file), and
# prints where that file is; its home, config, cache and runtime folders are then under out/.
# It installs only what running needs (scripts/install-deps.sh run, or windows).
set -euo pipefail
cd "$(dirname "$0")/.."
windows=
case "${1:-}" in
  -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  --windows) windows=1; shift ;;
esac
scripts/install-deps.sh "$([ -n "$windows" ] && echo windows || echo run)"
source scripts/lib/xvfb.sh
source scripts/lib/test-state.sh
out=$PWD/out
# Temporaries of the build and of Wine (its server's folder) stay in out/tmp.
export TMPDIR=$out/tmp
mkdir -p "$out" "$TMPDIR"
headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  export HOME=$out/run-home XDG_CONFIG_HOME=$out/run-home/.config XDG_CACHE_HOME=$out/run-home/.cache \
    XDG_DATA_HOME=$out/run-home/.local/share XDG_STATE_HOME=$out/run-home/.local/state XDG_RUNTIME_DIR=$out/run-runtime
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  start_session_bus
  start_xvfb
  # The display and the bus go once the gadget has ended, and are waited for.
  trap 'end_started' EXIT
fi

# Runs until the user quits it; headless, until the screenshot is taken and the gadget is closed
# with `close_command`.
run_gadget() {  # settings-file close-command program arguments...
  local settings=$1 close=$2; shift 2
  if [ -z "$headless" ]; then exec "$@"; fi
  "$@" &
  local pid=$!
  sleep "${KESTRIVAL_RUN_SECONDS:-6}"
  import -window root "$out/kestrival-screenshot.png"
  eval "$close"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  echo "The gadget ran on a virtual display; screenshot: $out/kestrival-screenshot.png"
  echo "Settings file: $settings"
}

if [ -z "$windows" ]; then
  cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_BENCH=OFF >/dev/null
  cmake --build build-run -j "$(nproc)" --target kestrival
  # The documents folder as Qt finds it: XDG_DOCUMENTS_DIR of user-dirs.dirs, else ~/Documents.
  documents=$HOME/Documents
  dirs=${XDG_CONFIG_HOME:-$HOME/.config}/user-dirs.dirs
  if [ -f "$dirs" ] && line=$(grep -m1 '^XDG_DOCUMENTS_DIR=' "$dirs"); then
    line=${line#*=}; line=${line//\"/}; documents=${line//\$HOME/$HOME}
  fi
  settings=$documents/ZKFILES/Kestrival/ZKQV_set.txt
  for argument in "$@"; do [ "${argument^^}" = LOCAL ] && settings=$PWD/build-run/kestrival_set.txt; done
  # SIGTERM is how a session ends the gadget: it saves, as quitting from its menu does.
  run_gadget "$settings" 'kill -TERM $pid' build-run/kestrival "$@"
  exit 0
fi

cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Kestrival
exe=$PWD/build-win/Kestrival.exe
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
source scripts/lib/wine-fonts.sh
# winemenubuilder off: Wine makes no menu entries or file associations in the home.
export WINEPREFIX=$out/run-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
[ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot -i >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/.kestrival-faces-linked" ]; then
  link_japanese_faces
  "${WINE%/*}/wineserver" -w || true
  touch "$WINEPREFIX/.kestrival-faces-linked"
fi
[ -n "$headless" ] &&
  trap '"${WINE%/*}/wineserver" -k 2>/dev/null; timeout 30 "${WINE%/*}/wineserver" -w 2>/dev/null; end_started' EXIT
# Wine's documents folder, as the gadget finds it.
documents=$("$WINE" cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
documents=$("$WINE" winepath -u "$documents\\Documents" 2>/dev/null | tr -d '\r')
settings=$(realpath -m "$documents")/ZKFILES/Kestrival/ZKQV_set.txt
for argument in "$@"; do [ "${argument^^}" = LOCAL ] && settings=$PWD/build-win/Kestrival_set.txt; done
# taskkill without /f asks the gadget's window to close, as its menu's quit does: it saves.
run_gadget "$settings" '"$WINE" taskkill /im Kestrival.exe >/dev/null 2>&1 || true' "$WINE" "$exe" "$@"
