#!/usr/bin/env bash
# Runs every test: the layer and format checks, unit tests (plain and with ASan/UBSan), the
# fuzzers for a bounded time, the Windows build and the end-to-end tests under Wine. Warnings are
# errors. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
jobs=$(nproc)
export KESTRIVAL_WINE_STATE=$PWD/build/wine-e2e
# Whatever stops the run, the Wine prefix's server and the X display it started go with it.
trap 'tests/wine/harness.sh cleanup >/dev/null 2>&1 || true' EXIT

scripts/install-deps.sh

echo "== layers and formatting"
scripts/check-layers.sh
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')

echo "== native build and unit tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIVAL_SANITIZE=ON -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== fuzzing the settings load and the date normaliser for ${FUZZ_SECONDS}s each"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRIVAL_FUZZ=ON -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$jobs"
for target in settings_load normalize_date; do
  corpus="build-fuzz/corpus-$target"
  log="build-fuzz/fuzz-$target.log"
  mkdir -p "$corpus"
  # Crash inputs land in build-fuzz/; on a failure the whole report is shown.
  if build-fuzz/fuzz_$target -max_total_time="$FUZZ_SECONDS" -max_len=262144 -rss_limit_mb=2048 \
      -artifact_prefix=build-fuzz/ -dict=tests/fuzz/$target.dict "$corpus" >"$log" 2>&1; then
    tail -n 2 "$log"
  else
    cat "$log"
    exit 1
  fi
done

echo "== Windows build (MinGW-w64)"
cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-win -j "$jobs"

echo "== the whole tree, tests included, with the 32-bit toolchain (XP's headers)"
cmake -S . -B build-win32 -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-win32 -j "$jobs"

echo "== release zips for 64- and 32-bit Windows and the Linux package, built twice: the same bytes"
# The package names its maintainer; a test value stands in for the real one.
export KESTRIVAL_MAINTAINER=${KESTRIVAL_MAINTAINER:-"Kestrival Test <kestrival-test@example.org>"}
scripts/package.sh
mkdir -p build/first-zips
cp dist/*.zip dist/*.deb build/first-zips/
scripts/package.sh
for file in dist/*.zip dist/*.deb; do cmp "$file" "build/first-zips/$(basename "$file")"; done
echo "both builds gave identical zips and packages"
scripts/check-package.sh dist/kestrival_*.deb

echo "== native build, unit tests and end-to-end tests under Wine"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON \
  -DKESTRIVAL_WINDOWS_BUILD="$PWD/build-win" -DKESTRIVAL_WIN32_RELEASE_EXE="$PWD/build-release-win32/Kestrival.exe" \
  >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure
