#!/usr/bin/env bash
# Runs every test: the layer and format checks, unit tests (plain and with ASan/UBSan), the
# fuzzers for a bounded time, the Windows build and the end-to-end tests under Wine. Warnings are
# errors. Ends with CTest's summary. Every step says what it does; a step or a test that takes
# longer prints a line a minute. What the tests make stays in the build folders: their homes and
# temporaries in build/tmp (TMPDIR), the Wine prefix in build/wine-e2e, the packages in build/package.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
jobs=$(nproc)
export KESTRIVAL_WINE_STATE=$PWD/build/wine-e2e
export TMPDIR=$PWD/build/tmp
# The tests type and read Japanese text (xdotool, iconv, the screen reader): a login without a
# locale, as on a fresh machine's console, would take it for bytes of the C locale.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
mkdir -p "$TMPDIR"
source scripts/lib/test-state.sh

# A line a minute while a step runs, naming the test CTest started last.
current_step=$TMPDIR/current-step
ctest_output=$TMPDIR/ctest-output
step() { echo "== $*"; echo "$*" >"$current_step"; : >"$ctest_output"; }
heartbeat() {
  local started=$SECONDS running
  while sleep 60; do
    running=$(sed -n 's/^ *Start  *[0-9]*: \(.*\)$/\1/p' "$ctest_output" 2>/dev/null | tail -n 1)
    echo "   ... $(((SECONDS - started) / 60)) min: $(cat "$current_step" 2>/dev/null)${running:+ (running $running)}"
  done
}
# CTest prints a line as each test starts and one as it ends; a copy tells the heartbeat which runs.
run_ctest() { ctest "$@" | tee "$ctest_output"; }
heartbeat &
heartbeat_pid=$!
# Whatever stops the run, the heartbeat, the Wine prefix's server and the X display it started go
# with it, and are waited for.
trap 'track "$heartbeat_pid"; end_started; tests/wine/harness.sh cleanup >/dev/null 2>&1 || true' EXIT

step "packages"
scripts/install-deps.sh

step "layers and formatting"
scripts/check-layers.sh
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')

step "native build and unit tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIVAL_SANITIZE=ON -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
run_ctest --test-dir build-asan -j "$jobs" --output-on-failure

step "fuzzing the settings load and the date normaliser for ${FUZZ_SECONDS}s each"
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

step "Windows build (MinGW-w64)"
cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-win -j "$jobs"

step "the whole tree, tests included, with the 32-bit toolchain (XP's headers)"
cmake -S . -B build-win32 -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON >/dev/null
cmake --build build-win32 -j "$jobs"

step "release zips for 64- and 32-bit Windows and the Linux package, built twice: the same bytes"
# The package names its maintainer; a test value stands in for the real one. Into the build folder:
# dist/ is for a maintainer's release.
export KESTRIVAL_MAINTAINER=${KESTRIVAL_MAINTAINER:-"Kestrival Test <kestrival-test@example.org>"}
export KESTRIVAL_DIST=$PWD/build/package
rm -rf build/package build/first-zips
scripts/package.sh
mkdir -p build/first-zips
cp build/package/*.zip build/package/*.deb build/first-zips/
scripts/package.sh
for file in build/package/*.zip build/package/*.deb; do cmp "$file" "build/first-zips/$(basename "$file")"; done
echo "both builds gave identical zips and packages"
scripts/check-package.sh build/package/kestrival_*.deb
unset KESTRIVAL_DIST

step "native build, unit tests and end-to-end tests under Wine"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WERROR=ON \
  -DKESTRIVAL_WINDOWS_BUILD="$PWD/build-win" -DKESTRIVAL_WIN32_RELEASE_EXE="$PWD/build-release-win32/Kestrival.exe" \
  >/dev/null
cmake --build build -j "$jobs"
run_ctest --test-dir build --output-on-failure
