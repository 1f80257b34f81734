#!/usr/bin/env bash
# Renders the README's pictures under Wine: the gadget with the program's own GDI canvas (default,
# a 3 x 2 grid, the same grid in the classic look) and the settings dialog of the running gadget.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win --target kestrival_render_pictures Kestrival kestrival_probe
export KESTRIVAL_WINE_STATE=$PWD/build-win/pictures-wine
tests/wine/harness.sh setup >/dev/null
trap "$PWD/tests/wine/harness.sh cleanup" EXIT
cd build-win
../tests/wine/harness.sh run ../tests/wine/run_exe.sh kestrival_render_pictures.exe default.bmp grid.bmp classic.bmp default-150.bmp
convert default.bmp -strip ../docs/gadget-default.png
convert grid.bmp -strip ../docs/gadget-grid.png
convert classic.bmp -strip ../docs/gadget-classic.png
convert default-150.bmp -strip ../docs/gadget-default-150.png

# The settings dialog, opened from the gadget's menu.
../tests/wine/harness.sh run bash -c '
  "$WINE" Kestrival.exe & gadget=$!
  read -r left top right bottom < <("$WINE" kestrival_probe.exe wait | tr -d "\r")
  sleep 1
  xdotool mousemove $((left + 30)) $((top + 6)) click 3; sleep 1; xdotool key s; sleep 2
  dialog=$(xdotool search --onlyvisible --name "Kestrival 1\.10" | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ../docs/settings-dialog.png
  xdotool key Escape; sleep 0.5
  "$WINE" kestrival_probe.exe close >/dev/null; wait $gadget'
echo "wrote docs/gadget-default.png docs/gadget-grid.png docs/gadget-classic.png docs/gadget-default-150.png"
echo "      docs/settings-dialog.png"
