#!/usr/bin/env bash
# Counts how often an idle program's threads wake up (context switches of its Unix process; under
# Wine every call into the wine server counts as one), for Kestrival.exe in each stacking and for
# the bare window program. Each is measured for 60 s from its second minute on, after start-up and
# the first timer pass have settled; beside it, the switches of one timer pass of the gadget
# (forced by a clock change), the unit of the goal: idle at most the bare window's plus one pass a
# minute.
set -euo pipefail
build=${KESTRIVAL_WINDOWS_BUILD:?}
switches() {  # sum of voluntary context switches over all threads of a process
  local total=0
  for f in /proc/"$1"/task/*/status; do
    total=$((total + $(awk '/^voluntary_ctxt_switches/ { print $2 }' "$f")))
  done
  echo "$total"
}
probe() { "$WINE" "$build/kestrival_probe.exe" "$@" >/dev/null 2>&1; }
measure() {  # label program [ZO]
  local label=$1 program=$2
  [ -n "${3:-}" ] && printf 'ZO=%s\r\n' "$3" >"$build/Kestrival_set.txt"
  # The loader's process becomes the Windows program's process: its id is the one to watch.
  if [ -n "${3:-}" ]; then "$WINE" "$build/$program" LOCAL & else "$WINE" "$build/$program" & fi
  local pid=$!
  sleep 62
  local before; before=$(switches "$pid")
  sleep 60
  local after; after=$(switches "$pid")
  local pass=""
  if [ -n "${3:-}" ]; then
    local start; start=$(switches "$pid")
    probe timechange
    sleep 1
    pass=", one timer pass $(($(switches "$pid") - start))"
    probe close || kill "$pid"
  fi
  echo "$label: $((after - before)) wake-ups in 60 s while idle$pass"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
measure "Kestrival.exe, ordinary" Kestrival.exe 0
measure "Kestrival.exe, kept on top" Kestrival.exe 1
measure "Kestrival.exe, on the desktop" Kestrival.exe 2
measure kestrival_baseline.exe kestrival_baseline.exe
rm -f "$build/Kestrival_set.txt"
