#!/usr/bin/env bash
# Start-up to the first painted frame and resident memory of the Linux gadget beside a bare Qt
# window drawing one line of Japanese text, on an X display of their own. The two are started in
# turn (the order alternating), each round gives one pair of ratios, and the figures are the
# medians of the paired ratios with a 95 % interval from the order statistics of the median.
# The time runs from just before the program is started to the end of its first paint.
#   linux_startup.sh GADGET BASELINE [ROUNDS]
# Ends with:
#   linux_startup_ratio median=M ci95=L..H pairs=N
#   linux_memory_ratio median=M
set -euo pipefail
gadget=$(realpath "$1") baseline=$(realpath "$2") rounds=${3:-101}
state=$(mktemp -d)
export HOME=$state XDG_RUNTIME_DIR=$state XDG_CONFIG_HOME=$state/.config KESTRIVAL_EXIT_AFTER_FIRST_FRAME=1
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
source "$(dirname "$0")/../scripts/lib/xvfb.sh"
start_xvfb
trap 'kill $XVFB_PID 2>/dev/null || true; rm -rf "$state"' EXIT
first_frame() {  # prints "ms rss_kb" for one start of a program
  local report
  report=$(KESTRIVAL_LAUNCH_NS=$(date +%s%N) "$1" 2>&1 >/dev/null | grep -m1 '^first_frame_ms=' || true)
  sed -E 's/first_frame_ms=([0-9.]+) rss_kb=([0-9]+)/\1 \2/' <<<"$report"
}
first_frame "$gadget" >/dev/null  # the first start makes the settings file
samples=$state/samples
for round in $(seq "$rounds"); do
  if [ $((round % 2)) -eq 0 ]; then
    g=$(first_frame "$gadget"); b=$(first_frame "$baseline")
  else
    b=$(first_frame "$baseline"); g=$(first_frame "$gadget")
  fi
  [ -n "$g" ] && [ -n "$b" ] && echo "$g $b" >>"$samples"
done
python3 - "$samples" <<'PY'
import math, statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1])]
time = sorted(g / b for g, _, b, _ in rows)
memory = sorted(gm / bm for _, gm, _, bm in rows)
n = len(time)
# The 95 % interval of a median from the order statistics: ranks n/2 -+ 0.98 sqrt(n).
low = max(0, math.floor(n / 2 - 0.98 * math.sqrt(n)))
high = min(n - 1, math.ceil(n / 2 + 0.98 * math.sqrt(n)))
print("linux first frame: gadget median %.1f ms, baseline %.1f ms; resident %.1f / %.1f MiB" % (
    statistics.median(r[0] for r in rows), statistics.median(r[2] for r in rows),
    statistics.median(r[1] for r in rows) / 1024, statistics.median(r[3] for r in rows) / 1024))
print("linux_startup_ratio median=%.2f ci95=%.2f..%.2f pairs=%d" % (statistics.median(time), time[low], time[high], n))
print("linux_memory_ratio median=%.2f" % statistics.median(memory))
PY
