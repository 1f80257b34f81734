#!/usr/bin/env bash
# The gadget's clock (faked with faketime): the new date appears within a moment of midnight, and
# a change of the system clock repaints at once instead of up to a minute later.
source "$(dirname "$0")/lib.sh"

# The faked clocks need a wineserver of their own; the monotonic clock stays real so that the
# server's timers and the gadget agree.
"$WINESERVER" -k 2>/dev/null || true
sleep 0.5
export FAKETIME_DONT_FAKE_MONOTONIC=1
# File times stay real: with faked ones Wine finds its prefix older than its configuration and
# updates it at every faked start, which delays the gadget's window by seconds.
export NO_FAKE_STAT=1
libfaketime=$(dpkg -L libfaketime 2>/dev/null | grep 'libfaketime.so.1$' | head -n 1)

# The right half of the title band, where today's date is drawn. The gadget's width is read once
# it shows, so that each reading is one quick call of the probe.
width=0
measure_width() { read -r l t r b < <(probe wait); width=$((r - l)); }
subtitle_hash() { probe hash $((width / 2)) 4 $((width / 2 - 4)) 14; }

# A first program under the faked clock starts the wineserver (and any prefix update) before the
# timed part begins.
faketime "$(date +%F) 12:00:00" "$WINE" "$build/kestrival_probe.exe" settings-path >/dev/null

reset_settings
write_settings $'DVIEW=1\nHB=0\nDX=100\nVB=0\nDY=100'
today=$(date +%F)
# The faked clock starts 30 s before midnight when the process starts, whatever time the gadget
# needs to show its window: on a busy machine that can take more than ten seconds, and the date
# before midnight must be read while it is still on screen.
lead=30
started=$(date +%s.%N)
faketime "$today 23:59:$((60 - lead))" "$WINE" "$build/Kestrival.exe" &
gadget_pid=$!
elapsed() { awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }'; }
at() { sleep "$(awk -v t="$1" -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { d = t - (n - s); print (d > 0 ? d : 0) }')"; }
measure_width
at $((lead - 5)); before=$(subtitle_hash); before_read=$(elapsed)
at $((lead + 1)).2; just_after=$(subtitle_hash)
at $((lead + 3)).5; later=$(subtitle_hash)
check "the date before midnight differs from the new date (read ${before_read}s of ${lead}s in)" \
  test "$before" != "$later"
check "the new date is drawn within a moment of midnight" test "$just_after" = "$later"
probe close >/dev/null
wait_gadget_exit
"$WINESERVER" -k 2>/dev/null || true
sleep 0.5

clockfile=$(mktemp -p "$test_folder")
echo "@$today 10:00:00" >"$clockfile"
FAKETIME_TIMESTAMP_FILE=$clockfile FAKETIME_NO_CACHE=1 LD_PRELOAD=$libfaketime "$WINE" "$build/Kestrival.exe" &
gadget_pid=$!
measure_width
sleep 1
first=$(subtitle_hash)
echo "@$(date -d "$today + 1 day" +%F) 10:00:00" >"$clockfile"
sleep 1.5
check "without a time-change message the minute timer has not repainted yet" test "$(subtitle_hash)" = "$first"
probe timechange
# The message is handled when the probe returns; the frame reaches the screen a moment later.
repainted() {
  for _ in 1 2 3; do [ "$(subtitle_hash)" != "$first" ] && return 0; done
  return 1
}
check "a time-change message repaints the new date at once" repainted
probe close >/dev/null
wait_gadget_exit
"$WINESERVER" -k 2>/dev/null || true
rm -f "$clockfile"
finish
