#!/usr/bin/env bash
# Idle wake-ups of the Linux gadget in each stacking beside the bare Qt window drawing one line:
# the voluntary context switches of all of a program's threads over three minutes, from its second
# minute on (after the start and the first timer pass have settled). The four run at once on an X
# display of their own, each gadget with a home of its own, so that one machine's load falls on
# all of them alike. Also lists the threads each has then.
#   linux_idle.sh GADGET BASELINE [SECONDS]
# Ends with:
#   linux_idle_wakeups ordinary=N on_top=N desktop=N bare=N seconds=S
set -euo pipefail
gadget=$(realpath "$1") baseline=$(realpath "$2") seconds=${3:-180}
state=$(mktemp -d)
unset QT_QPA_PLATFORM WAYLAND_DISPLAY KESTRIVAL_LAUNCH_NS
source "$(dirname "$0")/../scripts/lib/xvfb.sh"
start_xvfb
pids=()
finish() {  # runs at exit; nothing here may fail the script
  set +e
  kill "${pids[@]}" 2>/dev/null
  wait "${pids[@]}" 2>/dev/null  # the gadgets save as they end
  kill "$XVFB_PID" 2>/dev/null
  rm -rf "$state"
  return 0
}
trap finish EXIT
switches() {  # the voluntary context switches of all threads of a process
  local total=0 f
  for f in /proc/"$1"/task/*/status; do
    total=$((total + $(awk '/^voluntary_ctxt_switches/ { print $2 }' "$f" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
threads() { cat /proc/"$1"/task/*/comm 2>/dev/null | sort | uniq -c | awk '{ printf "%s%s", sep, $2 ($1 > 1 ? " x" $1 : ""); sep = ", " }'; }
labels=(ordinary on_top desktop bare)
for stacking in 0 1 2; do
  home=$state/home$stacking
  mkdir -p "$home/Documents/ZKFILES/Kestrival"
  printf 'ZO=%s\r\n' "$stacking" >"$home/Documents/ZKFILES/Kestrival/ZKQV_set.txt"
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home "$gadget" >/dev/null 2>&1 &
  pids+=($!)
done
HOME=$state XDG_RUNTIME_DIR=$state "$baseline" >/dev/null 2>&1 &
pids+=($!)
sleep 62
before=()
for pid in "${pids[@]}"; do before+=("$(switches "$pid")"); done
sleep "$seconds"
result="linux_idle_wakeups"
for i in "${!pids[@]}"; do
  count=$(($(switches "${pids[$i]}") - before[i]))
  echo "linux idle, ${labels[$i]}: $count wake-ups in $seconds s; threads: $(threads "${pids[$i]}")"
  result+=" ${labels[$i]}=$count"
done
echo "$result seconds=$seconds"
