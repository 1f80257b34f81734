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
  "$WINE" "$build/$1" &
  sleep 5
  local pid; pid=$(pgrep -f "$1" | head -n 1)
  local before; before=$(switches "$pid")
  sleep 65
  local after; after=$(switches "$pid")
  echo "$1: $((after - before)) wake-ups in 65 s while idle"
  "$WINE" "$build/kestrival_probe.exe" close >/dev/null 2>&1 || kill "$pid"
  wait 2>/dev/null || true
}
measure Kestrival.exe
"$WINE" "$build/kestrival_baseline.exe" & sleep 5
pid=$(pgrep -f kestrival_baseline.exe | head -n 1); before=$(switches "$pid"); sleep 65; after=$(switches "$pid")
echo "kestrival_baseline.exe: $((after - before)) wake-ups in 65 s while idle"
kill "$pid" 2>/dev/null || true
