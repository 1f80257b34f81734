#!/usr/bin/env bash
# Counts how often an idle program's threads wake up over 65 seconds (context switches of its
# Unix process), for Kestrival.exe and the bare window program side by side.
set -euo pipefail
build=${KESTRIVAL_WINDOWS_BUILD:?}
switches() {  # sum of voluntary context switches over all threads of a process
  local total=0
  for f in /proc/"$1"/task/*/status; do
    total=$((total + $(awk '/^voluntary_ctxt_switches/ { print $2 }' "$f")))
  done
  echo "$total"
}
measure() {
  # The loader's process becomes the Windows program's process: its id is the one to watch.
  "$WINE" "$build/$1" &
  local pid=$!
  sleep 5
  local before; before=$(switches "$pid")
  sleep 65
  local after; after=$(switches "$pid")
  echo "$1: $((after - before)) wake-ups in 65 s while idle"
  if [ "$1" = Kestrival.exe ]; then "$WINE" "$build/kestrival_probe.exe" close >/dev/null 2>&1 || kill "$pid"; fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
measure Kestrival.exe
measure kestrival_baseline.exe
