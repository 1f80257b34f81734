#!/usr/bin/env bash
# The Linux gadget living beside other windows on one X display: its icon in a real XEmbed tray
# (trayer), the icon's clicks and menu; click-through to a window beneath (xlogo, read by xev),
# and a second start turning it off; hidden under a window openbox makes full screen (wmctrl),
# and back when it leaves full screen or another window comes forward.
#   linux_presence_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
write_settings() {
  mkdir -p "$(dirname "$file")"
  { printf '\xff\xfe'; printf '%s' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}
window() { xdotool search --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
start_gadget() {
  "$binary" "$@" 2>/dev/null &
  gadget_pid=$!
  for _ in $(seq 100); do [ -n "$(window)" ] && break; sleep 0.1; done
  sleep 0.5
}
geometry() {  # prints "x y width height" of the gadget
  xdotool getwindowgeometry --shell "$(window)" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 } END { print "" }'
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$gadget_pid" 2>/dev/null || { wait "$gadget_pid"; return $?; }; sleep 0.1; done
  return 1
}
quit_gadget() { kill -TERM "$gadget_pid"; wait_exit || true; }
# The file loses a key within a few seconds (a second start is answered after it has ended).
file_lacks() { for _ in $(seq 50); do read_settings | grep -q "^$1=" || return 0; sleep 0.1; done; return 1; }
pixel() { import -window root -depth 8 -crop "1x1+$1+$2" txt:- | tail -n 1 | grep -o '#[0-9A-F]\{6\}'; }
helpers=()
trap 'for p in "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done; cleanup' EXIT

# The gadget's icon is a window of its class embedded in one of trayer's; its middle is printed.
tray_icon() {
  for w in $(xdotool search --class trayer 2>/dev/null); do xwininfo -tree -id "$w"; done |
    awk '/"kestrival"/ { split($(NF - 1), wh, /[x+]/); split($NF, at, "+");
                         print at[2] + int(wh[1] / 2), at[3] + int(wh[2] / 2); exit }'
}
icon_shown() { for _ in $(seq 50); do [ -n "$(tray_icon)" ] && return 0; sleep 0.1; done; return 1; }
icon_gone() { for _ in $(seq 50); do [ -z "$(tray_icon)" ] && return 0; sleep 0.1; done; return 1; }

trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
helpers+=($!)
for _ in $(seq 50); do xdotool search --class trayer >/dev/null 2>&1 && break; sleep 0.1; done

write_settings $'TITLE=tray\nHB=0\nDX=300\nVB=0\nDY=300'
start_gadget
check "without TI the tray holds no icon" icon_gone
quit_gadget

write_settings $'TITLE=tray\nHB=0\nDX=300\nVB=0\nDY=300\nTI=1'
start_gadget
check "with TI=1 the tray embeds the icon" icon_shown
read -r ix iy < <(tray_icon)
read -r x y width height < <(geometry)
# A window over the gadget; a left click on the icon brings the gadget above it.
xlogo -geometry "${width}x${height}+$x+$y" -bg '#0000FF' >/dev/null 2>&1 &
helpers+=($!)
for _ in $(seq 50); do [ "$(pixel $((x + 30)) $((y + 6)))" = "#0000FF" ] && break; sleep 0.1; done
check "a window covers the gadget" test "$(pixel $((x + 30)) $((y + 6)))" = "#0000FF"
xdotool mousemove "$ix" "$iy" click 1
sleep 0.5
check "a left click on the icon brings the gadget above it" test "$(pixel $((x + 30)) $((y + 6)))" != "#0000FF"
xdotool mousemove "$ix" "$iy" click 3
sleep 0.7
xdotool key i
check "a right click opens the gadget's menu, whose &I takes the icon away" icon_gone
check "  and the file no longer holds TI" file_lacks TI
quit_gadget
kill "${helpers[-1]}" 2>/dev/null || true

# Click-through: a window beneath the gadget (mapped first, so below it) gets the clicks.
xlogo -geometry 400x300+250+250 >/dev/null 2>&1 &
helpers+=($!)
for _ in $(seq 50); do xdotool search --name '^xlogo$' >/dev/null 2>&1 && break; sleep 0.1; done
beneath=$(xdotool search --name '^xlogo$' | head -n 1)
xev -id "$beneath" -event button >"$state/xev.log" 2>/dev/null &
helpers+=($!)
write_settings $'TITLE=through
HB=0
DX=300
VB=0
DY=300
CT=1'
start_gadget
read -r x y width height < <(geometry)
presses() { grep -c ButtonPress "$state/xev.log" || true; }
check "with CT=1 the icon shows, though TI is off" icon_shown
before=$(presses)
xdotool mousemove $((x + 40)) $((y + 50)) click 1
sleep 0.5
check "a click on the gadget reaches the window beneath" test "$(presses)" -gt "$before"
shown_windows() { xdotool search --onlyvisible --pid "$gadget_pid" 2>/dev/null | wc -l; }
windows_before=$(shown_windows)
xdotool mousemove $((x + 40)) $((y + 50)) click 3
sleep 0.7
check "  and a right click opens no menu of the gadget" test "$(shown_windows)" -eq "$windows_before"
xdotool key Escape
check "a second start ends with 0" timeout 20 "$binary"
check "  and turns click-through off in the file" file_lacks CT
check "  and takes the icon away, as TI is off" icon_gone
before=$(presses)
xdotool mousemove $((x + 40)) $((y + 50)) click 1
sleep 0.5
check "  and the gadget takes its clicks again" test "$(presses)" -eq "$before"
quit_gadget

openbox --sm-disable >/dev/null 2>&1 &
helpers+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
mapped() { local w; w=$(window); [ -n "$w" ] && xwininfo -id "$w" | grep -q IsViewable; }
becomes_hidden() { for _ in $(seq 100); do mapped || return 0; sleep 0.1; done; return 1; }
becomes_shown() { for _ in $(seq 100); do mapped && return 0; sleep 0.1; done; return 1; }
stays_shown() { sleep 1.5; mapped; }
for fh in 0 1; do
  if [ "$fh" = 1 ]; then write_settings $'TITLE=full\nFH=1'; else write_settings 'TITLE=full'; fi
  start_gadget
  xlogo -name film -geometry 300x200+50+50 >/dev/null 2>&1 &
  film=$!
  helpers+=($film)
  for _ in $(seq 50); do wmctrl -l | grep -q ' film$' && break; sleep 0.1; done
  wmctrl -a film
  wmctrl -r film -b add,fullscreen
  if [ "$fh" = 0 ]; then
    check "without FH a full-screen window leaves the gadget shown" stays_shown
    wmctrl -r film -b remove,fullscreen
  else
    check "FH=1: a window made full screen hides the gadget" becomes_hidden
    wmctrl -r film -b remove,fullscreen
    check "  which shows again when that window leaves full screen" becomes_shown
    wmctrl -r film -b add,fullscreen
    check "  and hides again when it goes back to full screen" becomes_hidden
    xlogo -name other -geometry 200x100+600+600 >/dev/null 2>&1 &
    helpers+=($!)
    for _ in $(seq 50); do wmctrl -l | grep -q ' other$' && break; sleep 0.1; done
    wmctrl -a other
    check "  and shows when another window comes forward" becomes_shown
  fi
  quit_gadget
  kill "$film"
  for _ in $(seq 50); do wmctrl -l | grep -q ' film$' || break; sleep 0.1; done
done
check "the hidden state is never saved: FH=1 is all the file gained" bash -c \
  'grep -qx "FH=1" "$1" && ! grep -qi "hid" "$1"' _ <(read_settings)
finish
