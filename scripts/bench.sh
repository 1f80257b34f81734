#!/usr/bin/env bash
# Runs the benchmarks: settings load and paint pass natively, the Linux gadget's start-up and memory
# (linux_startup_ratio median=M ci95=L..H pairs=N, linux_memory_ratio median=M) and its idle wake-ups in
# each stacking beside the bare Qt window (linux_idle_wakeups ...), then under Wine the GDI paint pass,
# the idle wake-ups, and start-up/memory of Kestrival.exe beside a bare window program and one that
# draws a line of Japanese text, with the gadget's start broken down stage by stage. It ends with two
# lines for tools:
#   startup_ratio median=M ci95=L..H pairs=N     (against the bare window)
#   memory_ratio bare=B text=T
# KESTRIVAL_BENCH_ROUNDS sets the start-up rounds (201); KESTRIVAL_BENCH_OTHER names another build's
# Kestrival.exe to start in the same rotation, for a before-and-after figure. KESTRIVAL_LINUX_IDLE_SECONDS
# sets how long the Linux programs are watched idle (180).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build -j "$(nproc)"
cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j "$(nproc)"
build/kestrival_bench
# The Linux gadget's start-up and memory beside a bare Qt window drawing one line of Japanese text.
bench/linux_startup.sh build/kestrival build/kestrival_qt_baseline "${KESTRIVAL_LINUX_BENCH_ROUNDS:-101}"
bench/linux_idle.sh build/kestrival build/kestrival_qt_baseline "${KESTRIVAL_LINUX_IDLE_SECONDS:-180}"
export KESTRIVAL_WINE_STATE=$PWD/build-win/bench-wine
harness=tests/wine/harness.sh
$harness setup >/dev/null
trap '$harness cleanup' EXIT
$harness run tests/wine/run_exe.sh build-win/kestrival_gdi_paint_bench.exe
KESTRIVAL_WINDOWS_BUILD=$PWD/build-win $harness run tests/wine/idle_wakeups.sh
# Last, so that its two closing lines (startup_ratio ..., memory_ratio ...) end the output.
other=()
[ -n "${KESTRIVAL_BENCH_OTHER:-}" ] && other=("$(realpath "$KESTRIVAL_BENCH_OTHER")")
$harness run tests/wine/run_exe.sh build-win/kestrival_startup_bench.exe "${KESTRIVAL_BENCH_ROUNDS:-201}" "${other[@]}" |
  tr -d '\r'
