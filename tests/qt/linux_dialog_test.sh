#!/usr/bin/env bash
# The Linux settings dialog on an X display of its own, through real input (xdotool): opened from
# the gadget's menu, Japanese typed into the goal grid, a 3 x 51 panel count (more than 150)
# refused with the dialog still open and nothing written, counting choices and days off set from
# a row's menu, then a valid OK saved and the gadget laid out again.
#   linux_dialog_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
wait_window() {
  for _ in $(seq 100); do [ -n "$(find_window "$1")" ] && return 0; sleep 0.1; done
  return 1
}
geometry_of() { xdotool getwindowgeometry --shell "$(find_window "$1")"; }
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
# xdotool types a character missing from the keymap by binding it to a spare key for that one
# keystroke and unbinding it at once; the gadget reads the new map only when it gets to the
# mapping event, and under load that is after the unbinding, so the character is lost. Bound here
# for good while the gadget is connected (an X server with no clients resets its keymap), the
# characters are in every map the gadget reads and xdotool types them as ordinary keys.
bind_spare_keys() {  # bind_spare_keys KEYSYM...: each to a key that has no symbol yet
  local free=() keysym
  mapfile -t free < <(xmodmap -pke | awk '$1 == "keycode" && $2 > 8 && NF == 3 { print $2 }')
  for keysym in "$@"; do
    xmodmap -e "keycode ${free[0]} = $keysym $keysym"
    free=("${free[@]:1}")
  done
}
type_into() {  # x y text: replaces what the edit at (x, y) holds
  click_at "$1" "$2"
  xdotool key ctrl+a
  xdotool type -- "$3"
  sleep 0.2
}

"$binary" >/dev/null 2>&1 &
gadget_pid=$!
wait_window '^ - Kestrival -$'
bind_spare_keys U76EE U6A19  # 目 標
sleep 0.5
eval "$(geometry_of '^ - Kestrival -$')"
gadget_width=$WIDTH
xdotool mousemove $((X + 30)) $((Y + 40)) click 3
sleep 0.5
xdotool key s
check "the menu's &S opens the settings dialog" wait_window '^ Kestrival .* 設定$'
sleep 0.5
eval "$(geometry_of '^ Kestrival .* 設定$')"
dx=$X dy=$Y
before=$(md5sum <"$file")

# The title cell of the second goal row; the grid starts at (4, 20), rows are 20 pixels.
click_at $((dx + 40)) $((dy + 20 + 2 * 20 + 8))
xdotool type --delay 80 '目標abc'
xdotool key Return
sleep 0.3
type_into $((dx + 310 + 157 + 20)) $((dy + 103 + 40 + 10)) 3   # panels across
type_into $((dx + 310 + 157 + 20)) $((dy + 179 + 40 + 10)) 51  # panels down
click_at $((dx + 441 + 37)) $((dy + 499 + 12))                  # 設定する
check "a 3 x 51 count is refused with a notice" wait_window '^Kestrival$'
check "  while the dialog stays open" test -n "$(find_window '^ Kestrival .* 設定$')"
check "  and nothing is written" test "$(md5sum <"$file")" = "$before"
xdotool key Return
sleep 0.5
type_into $((dx + 310 + 157 + 20)) $((dy + 103 + 40 + 10)) 2
type_into $((dx + 310 + 157 + 20)) $((dy + 179 + 40 + 10)) 3
# How goals count: a right click on the first row, Shift+F10 and the menu key on the second, which
# also gets two reminders; the days-off dialog from the menu's last item.
xdotool mousemove $((dx + 40)) $((dy + 20 + 20 + 8)) click 3
sleep 0.5
xdotool key t
sleep 0.3
click_at $((dx + 40)) $((dy + 20 + 2 * 20 + 8))
xdotool key shift+F10
sleep 0.5
xdotool key w
sleep 0.3
xdotool key Menu
sleep 0.5
xdotool key y
sleep 0.3
# Reminders a week and 30 days before, by their access keys.
for key in 7 3; do
  xdotool key Menu
  sleep 0.5
  xdotool key "$key"
  sleep 0.3
done
xdotool key Menu
sleep 0.5
xdotool key Up Return
check "the menu's last item opens the days-off dialog" wait_window '^休日の設定$'
xdotool type --delay 50 '12/29-01/03 08/13'
xdotool key Return
sleep 0.5
click_at $((dx + 441 + 37)) $((dy + 499 + 12))
sleep 1
check "a valid OK closes the dialog" test -z "$(find_window '^ Kestrival .* 設定$')"
saved=$(read_settings)
check "  and saves the counts" grep -qx 'CL=2' <<<"$saved"
check "  and the goal typed in Japanese" grep -q "^ITEM2=目標abc," <<<"$saved"
check "  and each goal's counting choices beside it" test "$(grep -A1 '^ITEM1=' <<<"$saved" | tail -n 1)" = CNT1=T
check "  (letters in their fixed order)" test "$(grep -A1 '^ITEM2=' <<<"$saved" | tail -n 1)" = CNT2=WY
check "  and its reminders after them" test "$(grep -A2 '^ITEM2=' <<<"$saved" | tail -n 1)" = RMD2=7,30
check "  and the days off" grep -qx 'OFFDAYS=12/29-01/03 08/13' <<<"$saved"
eval "$(geometry_of '^ - Kestrival -$')"
check "  and lays the gadget out again ($gadget_width -> $WIDTH)" test "$WIDTH" -eq $((2 * 162 + 6))

finish
