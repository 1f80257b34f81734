#!/usr/bin/env bash
# The notification-area icon in Wine's own notification area (its "Wine System Tray" window, as on
# a desktop without an X tray): none without TI, shown with it, a left click brings a hidden
# gadget back, a right click opens the gadget's menu, whose &I item takes the icon away and writes
# the file without TI.
source "$(dirname "$0")/lib.sh"

tray_shown() { xwininfo -name "Wine System Tray" 2>/dev/null | grep -q IsViewable; }
tray_gone() { for _ in $(seq 50); do tray_shown || return 0; sleep 0.1; done; return 1; }
tray_comes() { for _ in $(seq 50); do tray_shown && return 0; sleep 0.1; done; return 1; }
# The first icon's middle: icons line up from the tray window's left edge.
icon_point() {
  xwininfo -name "Wine System Tray" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    END {print x + 9, y + 9}'
}
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
check "and the file no longer holds TI" bash -c "! grep -q '^TI=' <<<\"\$1\"" _ "$(read_settings)"
check "the rest of the file is kept" grep -qx 'TITLE=in the tray' <(read_settings)
probe close >/dev/null
wait_gadget_exit
finish
