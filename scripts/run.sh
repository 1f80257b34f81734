#!/usr/bin/env bash
# Builds Kestrival.exe and runs it: under Wine on Linux. Without a display it starts Xvfb in a
# throw-away Wine prefix, lets the gadget paint, saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)" --target Kestrival
exe=$PWD/build-win/Kestrival.exe
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

if [ -n "${DISPLAY:-}" ]; then
  exec "$wine" "$exe" "$@"
fi

out=$PWD/out
mkdir -p "$out"
export WINEPREFIX=$out/run-prefix HOME=$out/run-home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
xvfb=$XVFB_PID
trap '"${wine%/*}/wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
"$wine" "$exe" "$@" &
sleep "${KESTRIVAL_RUN_SECONDS:-6}"
import -window root "$out/kestrival-screenshot.png"
echo "The gadget ran on a virtual display; screenshot: $out/kestrival-screenshot.png"
echo "Settings file: $HOME/ZKFILES/Kestrival/ZKQV_set.txt (the prefix's documents folder)"
