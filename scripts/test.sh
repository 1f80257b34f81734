#!/usr/bin/env bash
# Runs every test: unit tests (plain and with ASan/UBSan), the fuzzers for a bounded time, the
# Windows build and the end-to-end tests under Wine. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
jobs=$(nproc)

scripts/install-deps.sh

echo "== native build and unit tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIVAL_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== fuzzing the settings load and the date normaliser for ${FUZZ_SECONDS}s each"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRIVAL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs"
for target in settings_load normalize_date; do
  corpus="build-fuzz/corpus-$target"
  mkdir -p "$corpus"
  build-fuzz/fuzz_$target -max_total_time="$FUZZ_SECONDS" -max_len=262144 -rss_limit_mb=2048 \
    -dict=tests/fuzz/$target.dict "$corpus" 2>&1 | tail -n 2
done

echo "== Windows build (MinGW-w64)"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$jobs"

echo "== native build, unit tests and end-to-end tests under Wine"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure
