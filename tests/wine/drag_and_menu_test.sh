#!/usr/bin/env bash
# Real input on the display (xdotool): the context menu on the title band and below it, quitting
# through the menu's &X key, and a drag by the title band that the save at exit stores as
# left/top anchors.
source "$(dirname "$0")/lib.sh"

right_click() { xdotool mousemove "$1" "$2" click 3; sleep 0.8; }
menu_open() { "$WINE" "$build/kestrival_probe.exe" menu >/dev/null 2>&1; }
menu_closed() { ! menu_open; }

reset_settings
write_settings $'HB=1\nDX=10\nVB=1\nDY=10\nTITLE=drag me'
start_gadget
read -r left top right bottom < <(probe wait)
sleep 0.5
right_click $((left + 40)) $((bottom - 20))
check "a right click below the band opens the context menu" menu_open
xdotool key Escape; sleep 0.3
check "Escape closes the menu" menu_closed
right_click $((left + 40)) $((top + 8))
check "a right click on the title band opens the context menu" menu_open
xdotool key x
check "&X in the menu quits" wait_gadget_exit
saved=$(read_settings)
check "an unmoved window keeps its anchors" grep -qx 'HB=1' <<<"$saved"

start_gadget
read -r left top right bottom < <(probe wait)
sleep 0.5
# Under Wine on a display without a window manager the system's move loop follows only the first
# small steps of a drag and loses the release; what matters here is that the title band starts the
# system's move and that quitting afterwards stores where the window stands.
xdotool mousemove $((left + 40)) $((top + 8)); sleep 0.3
xdotool mousedown 1; sleep 0.4
for _ in $(seq 20); do xdotool mousemove_relative -- -4 -3; sleep 0.03; done
sleep 0.3; xdotool mouseup 1; sleep 0.5
read -r left2 top2 _ _ < <(probe rect)
check "the title band drags the window ($left,$top -> $left2,$top2)" test "$left2" -lt "$left" -a "$top2" -lt "$top"
probe close >/dev/null
check "the gadget quits after the drag" wait_gadget_exit
saved=$(read_settings)
check "the save at exit stored HB=0" grep -qx 'HB=0' <<<"$saved"
check "the save at exit stored VB=0" grep -qx 'VB=0' <<<"$saved"
check "DX is the dragged left edge $left2" grep -qx "DX=$left2" <<<"$saved"
check "DY is the dragged top edge $top2" grep -qx "DY=$top2" <<<"$saved"
check "the title survived" grep -qx 'TITLE=drag me' <<<"$saved"
finish
