#!/usr/bin/env bash
# Display changes, in a Wine virtual desktop that the probe resizes: a gadget anchored to the right
# and bottom edges follows them, a dragged one is brought back on screen, and neither change
# writes the settings file.
source "$(dirname "$0")/lib.sh"

# Each part gets a desktop of its own and a fresh wineserver: starting a program in a desktop that is
# still closing can hang. Every call into the desktop has a time limit, so a hang fails a check.
desktop=""
in_desktop() { timeout 60 "$WINE" explorer "/desktop=$desktop,1280x800" "$@"; }
start_in_desktop() {  # start_in_desktop NAME: the gadget in a new virtual desktop, once it exists
  "$WINESERVER" -k 2>/dev/null || true
  sleep 0.5
  desktop=$1
  in_desktop "$build/Kestrival.exe" &
  for _ in $(seq 200); do xdotool search --name "$desktop" >/dev/null 2>&1 && break; sleep 0.1; done
}
# The probe in the desktop runs detached: its output goes to a file, and it marks when it is done.
probe_out=$(mktemp -p "$test_folder") probe_done=$(mktemp -u -p "$test_folder")
dprobe() {
  rm -f "$probe_done"
  KESTRIVAL_PROBE_DONE=$("$WINE" winepath -w "$probe_done" 2>/dev/null | tr -d '\r') \
    in_desktop "$build/kestrival_probe.exe" "$@" >"$probe_out"
  for _ in $(seq 300); do [ -f "$probe_done" ] && break; sleep 0.1; done
  tr -d '\r' <"$probe_out"
}

reset_settings
write_settings $'HB=1\nDX=10\nVB=1\nDY=20\nCL=2\nRW=1'
start_in_desktop "kestrival-anchored-$$"
read -r left top right bottom < <(dprobe wait)
before=$(md5sum <"$(settings_file)")  # as the start-up left it
check "at first the gadget stands 10 from the right and 20 from the bottom" \
  test "$((1280 - right)) $((800 - bottom))" = "10 20"
dprobe displaymode 1024 768 >/dev/null
sleep 1
check "the display is 1024 x 768 now" test "$(dprobe screen)" = "1024 768"
read -r left top right bottom < <(dprobe rect)
check "the gadget follows the new right and bottom edges ($right,$bottom)" \
  test "$((1024 - right)) $((768 - bottom))" = "10 20"
check "the display change wrote nothing" test "$(md5sum <"$(settings_file)")" = "$before"
dprobe displaymode 1280 800 >/dev/null
sleep 1
read -r left top right bottom < <(dprobe rect)
check "and back at 1280 x 800" test "$((1280 - right)) $((800 - bottom))" = "10 20"
dprobe close >/dev/null  # returns once the window is gone, after the save at quitting
saved=$(read_settings)
check "the anchors are saved as they were" grep -qx 'HB=1' <<<"$saved"
check "the offset is saved as it was" grep -qx 'DX=10' <<<"$saved"

# Dragged to the far right of the large display, the gadget is pulled back onto the small one.
write_settings $'HB=0\nDX=1200\nVB=0\nDY=100\nCL=1\nRW=1'
start_in_desktop "kestrival-dragged-$$"
read -r left top right bottom < <(dprobe wait)
# Wine moves the display's pointer only while it is inside the desktop's window; an earlier test
# may have left it below, where this desktop (shorter than the display) ends, and the drag would
# then not reach the gadget. The desktop's window stands at the display's origin.
xdotool mousemove $((left + 40)) $((top + 6))
dprobe drag 40 6 -10 0 2 >/dev/null
read -r left top right bottom < <(dprobe rect)
dragged_left=$left
check "the gadget was dragged ($dragged_left)" test "$dragged_left" -ne 1200
dprobe displaymode 1024 768 >/dev/null
sleep 1
read -r left top right bottom < <(dprobe rect)
check "a dragged gadget off the new screen is brought back ($dragged_left -> $left)" \
  test "$left" -eq $((1024 - (right - left)))
dprobe displaymode 1280 800 >/dev/null
dprobe close >/dev/null
"$WINESERVER" -k 2>/dev/null || true
rm -f "$probe_out" "$probe_done"
finish
