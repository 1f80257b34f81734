#!/usr/bin/env bash
# Renders the README's pictures under Wine with the program's own GDI canvas.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win --target kestrival_render_pictures
export KESTRIVAL_WINE_STATE=$PWD/build-win/pictures-wine
tests/wine/harness.sh setup >/dev/null
trap "$PWD/tests/wine/harness.sh cleanup" EXIT
cd build-win
../tests/wine/harness.sh run ../tests/wine/run_exe.sh kestrival_render_pictures.exe default.bmp grid.bmp
convert default.bmp ../docs/gadget-default.png
convert grid.bmp ../docs/gadget-grid.png
echo "wrote docs/gadget-default.png docs/gadget-grid.png"
