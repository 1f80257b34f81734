#!/usr/bin/env bash
# Builds Kestrival.exe and runs it: under Wine on Linux, in a Wine prefix of its own (out/run-prefix)
# whose dialog faces are linked to the installed Japanese faces. With a display it runs there and
# keeps the settings in your documents folder; without one it starts Xvfb, lets the gadget paint,
# saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Kestrival
exe=$PWD/build-win/Kestrival.exe
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
source scripts/lib/xvfb.sh
source scripts/lib/wine-fonts.sh

out=$PWD/out
mkdir -p "$out"
export WINEPREFIX=$out/run-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  export HOME=$out/run-home
  mkdir -p "$HOME"
  start_xvfb
  xvfb=$XVFB_PID
  trap '"${WINE%/*}/wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
fi
[ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot -i >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/.kestrival-faces-linked" ]; then
  link_japanese_faces
  "${WINE%/*}/wineserver" -w || true
  touch "$WINEPREFIX/.kestrival-faces-linked"
fi

if [ -z "$headless" ]; then
  exec "$WINE" "$exe" "$@"
fi
"$WINE" "$exe" "$@" &
sleep "${KESTRIVAL_RUN_SECONDS:-6}"
import -window root "$out/kestrival-screenshot.png"
echo "The gadget ran on a virtual display; screenshot: $out/kestrival-screenshot.png"
echo "Settings file: $HOME/Documents/ZKFILES/Kestrival/ZKQV_set.txt (the prefix's documents folder)"
