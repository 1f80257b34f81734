#!/usr/bin/env bash
# The gadget beside other windows. The notification-area icon in Wine's own notification area (its
# "Wine System Tray" window, as on a desktop without an X tray): none without TI, shown with it, a
# left click brings a hidden gadget back, a right click opens the gadget's menu, whose &I item
# takes the icon away and writes the file without TI. Click-through: a window just beneath the
# gadget gets the click, and a second start turns it off. Hiding under full-screen programs: a
# window over the whole display in front hides the gadget, which comes back when another window
# comes forward. (Wine 8 reports no window moves out of context, so a full-screen window that
# shrinks in front is not seen here; Windows reports it.)
source "$(dirname "$0")/lib.sh"

tray_shown() { xwininfo -name "Wine System Tray" 2>/dev/null | grep -q IsViewable; }
tray_gone() { for _ in $(seq 50); do tray_shown || return 0; sleep 0.1; done; return 1; }
tray_comes() { for _ in $(seq 50); do tray_shown && return 0; sleep 0.1; done; return 1; }
# The first icon's middle: icons line up from the tray window's left edge.
icon_point() {
  xwininfo -name "Wine System Tray" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    END {print x + 9, y + 9}'
}
# The file loses a key within a few seconds (a second start is answered after it has ended).
file_lacks() { for _ in $(seq 50); do read_settings | grep -q "^$1=" || return 0; sleep 0.1; done; return 1; }
gadget_shown() { probe wait >/dev/null; }
menu_open() { for _ in $(seq 30); do probe menu >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

reset_settings
write_settings $'TITLE=in the tray\nHB=0\nDX=300\nVB=0\nDY=300'
start_gadget
probe wait >/dev/null
check "without TI the gadget shows no icon" tray_gone
probe close >/dev/null
wait_gadget_exit

write_settings $'TITLE=in the tray\nHB=0\nDX=300\nVB=0\nDY=300\nTI=1'
start_gadget
probe wait >/dev/null
check "with TI=1 the icon is in the notification area" tray_comes
read -r x y < <(icon_point)
probe hide >/dev/null
xdotool mousemove "$x" "$y" click 1
check "a left click on the icon brings the hidden gadget back" gadget_shown
xdotool mousemove "$x" "$y" click 3
check "a right click on the icon opens the gadget's menu" menu_open
xdotool key i
check "its &I item takes the icon away" tray_gone
check "and the file no longer holds TI" file_lacks TI
check "the rest of the file is kept" grep -qx 'TITLE=in the tray' <(read_settings)
probe close >/dev/null
wait_gadget_exit

# A window where the gadget will stand, made before it so that the gadget comes above it; it
# reports the first left click it gets.
window_beneath() {
  beneath_log=$KESTRIVAL_WINE_STATE/beneath.log
  rm -f "$beneath_log"
  probe window 300 300 168 97 "$1" >"$beneath_log" &
  beneath_pid=$!
  for _ in $(seq 100); do grep -q ready "$beneath_log" 2>/dev/null && break; sleep 0.1; done
}
click_gadget_panel() {
  read -r left top _ _ < <(probe rect)
  xdotool mousemove $((left + 40)) $((top + 50)) click 1
}
beneath_clicked() { wait "$beneath_pid" || true; grep -q clicked "$beneath_log"; }
beneath_not_clicked() { ! beneath_clicked; }

write_settings $'TITLE=through\nHB=0\nDX=300\nVB=0\nDY=300\nCT=1'
window_beneath 15000
start_gadget
probe wait >/dev/null
check "with CT=1 the icon shows, though TI is off" tray_comes
click_gadget_panel
check "a click on the gadget reaches the window beneath" beneath_clicked
rc=0
timeout 30 "$WINE" "$build/Kestrival.exe" || rc=$?
check "a second start ends with 0" test "$rc" -eq 0
check "  and turns click-through off in the file" file_lacks CT
check "  and takes the icon away, as TI is off" tray_gone
probe close >/dev/null
wait_gadget_exit
window_beneath 4000
start_gadget
probe wait >/dev/null
click_gadget_panel
check "without CT the gadget takes its clicks itself" beneath_not_clicked
probe close >/dev/null
wait_gadget_exit

# Within five seconds the gadget is hidden (0) or shown (1).
gadget_becomes() { for _ in $(seq 50); do [ "$(probe shown)" = "$1" ] && return 0; sleep 0.1; done; return 1; }
wait_for_line() { for _ in $(seq 100); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
full_log=$KESTRIVAL_WINE_STATE/full.log
for fh in 0 1; do
  write_settings "TITLE=full screen"$'\n'"FH=$fh"
  [ "$fh" = 1 ] || write_settings 'TITLE=full screen'
  start_gadget
  probe wait >/dev/null
  rm -f "$full_log"
  # Not through probe(): its pipe would hold the lines back until the end.
  "$WINE" "$build/kestrival_probe.exe" fullscreen 5000 4000 >"$full_log" &
  full_pid=$!
  wait_for_line "$full_log" full
  if [ "$fh" = 1 ]; then
    check "FH=1: a full-screen window in front hides the gadget" gadget_becomes 0
    wait_for_line "$full_log" another
    check "  and it shows again when another window comes forward" gadget_becomes 1
  else
    sleep 2
    shown_now=$(probe shown)
    check "without FH a full-screen window leaves the gadget shown ($shown_now)" test "$shown_now" = 1
  fi
  wait "$full_pid" || true
  probe close >/dev/null
  wait_gadget_exit
done
check "the hidden state is never saved: FH=1 is the only change" grep -qx 'FH=1' <(read_settings)
finish
