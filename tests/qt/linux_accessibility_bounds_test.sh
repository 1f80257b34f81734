#!/usr/bin/env bash
# The Linux gadget answers a screen reader's odd questions and lives on: cells outside the goal
# grid (row 150, negative rows and columns, a fourth column), children before the first and after
# the last, of the grid and of the gadget, each get an empty answer; a cell held while its row is
# cleared reads empty, and a cell and a panel held while the dialog closes and the goal goes read
# as nothing in no parent.
#   linux_accessibility_bounds_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
export TZ=UTC
reader() { /usr/bin/python3 "$(dirname "$0")/read_accessibility.py" "$@"; }
# On the test's own session bus (lib.sh); the clean-up ends the launcher and its accessibility bus.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &

mkdir -p "$(dirname "$file")"
{ printf '\xff\xfe'
  printf '%s\r\n' TITLE=目標 DVIEW=1 CL=1 RW=3 ITEM1=試験,2020/01/01,2099/01/01 ITEM2=禁煙,2020/06/01, \
    ITEM3=旅行,2020/03/01,2030/01/01 | iconv -f UTF-8 -t UTF-16LE; } >"$file"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$binary" >"$state/gadget.log" 2>&1 &
gadget_pid=$!
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
wait_for() { for _ in $(seq 100); do [ -n "$(window "$1")" ] && return 0; sleep 0.1; done; return 1; }
alive() { kill -0 "$gadget_pid" 2>/dev/null; }
wait_for '^ - Kestrival -$' || { echo "no gadget window; the gadget said:"; cat "$state/gadget.log"; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$(window '^ - Kestrival -$')")"
xdotool mousemove $((X + 30)) $((Y + 40)) click 3
sleep 0.5
xdotool key s
wait_for ' 設定$'
sleep 1

odd=$(reader odd)
echo "$odd" >"${ODD_LOG:-/dev/null}"
check "the gadget lives through every odd question" alive
expect() {  # expect "question = answer"...
  local line
  for line in "$@"; do check "$line" grep -qxF "$line" <<<"$odd"; done
}
expect 'cell 149,2 = table cell:' 'cell 150,0 = none' 'cell -1,0 = none' 'cell 0,-1 = none' 'cell 0,3 = none'
expect 'index of 150,0 = -1' 'index of -1,-1 = -1' 'row at -1 = -1' 'column at 100000 = -1'
expect 'row extent 150,0 = 0' 'column extent -1,0 = 0' 'row header 150 = none' 'row header -1 = none'
expect 'column header -1 = none' 'column header 3 = none' 'selected 150,0 = False' 'selected -1,-1 = False'
expect 'extents at index 100000 = True,-1,-1,0,0,False' 'extents at index -1 = True,-1,-1,0,0,False' 'row description -1 = ' \
  'column description 7 = '
expect 'table child -1 = none' 'table child count = none' 'table child 100000 = none' 'gadget child -1 = none' \
  'gadget child count = none' 'gadget child 150 = none' 'table children = 453'

# With the row's menu open the grid's child after the last cell is the menu, and the one after
# that nothing; the menu answers for children it does not have.
xdotool key shift+F10
sleep 0.5
odd=$(reader menuodd)
echo "$odd" >>"${ODD_LOG:-/dev/null}"
check "the gadget lives through odd questions about the open menu" alive
expect 'menu child -1 = none' 'menu child count = none' 'menu child 1000 = none' 'table child 453 = popup menu:' \
  'table child 454 = none'
xdotool key Escape
sleep 0.3

# The second goal's row is made current and cleared (削除, then Yes) while its cell is held; then
# OK closes the dialog and the gadget shows one panel fewer while the third panel is held.
eval "$(xdotool getwindowgeometry --shell "$(window ' 設定$')")"
# Waits (in the reader's shell) until the gadget shows at least, or fewer than, N windows.
shown() { echo "n=0; until [ \$(xdotool search --onlyvisible --pid $gadget_pid | wc -l) $1 ] || [ \$n -ge 100 ]; do \
  sleep 0.1; n=\$((n + 1)); done"; }
windows=$(xdotool search --onlyvisible --pid "$gadget_pid" | wc -l)
held=$(reader held "xdotool key Down mousemove $((X + 4 + 37)) $((Y + 499 + 12)) click 1; $(shown "-gt $windows"); \
  xdotool key y; $(shown "-le $windows"); sleep 0.3" \
  "xdotool mousemove $((X + 441 + 37)) $((Y + 499 + 12)) click 1; $(shown "-lt $windows"); sleep 1")
echo "$held" >"${HELD_LOG:-/dev/null}"
check "the gadget lives on after the held cell's row and dialog are gone" alive
for line in '1: cell name = ' '1: cell role = table cell' '1: cell index = 6' '1: panel name = 旅行' \
  '1: gadget children = 3' '2: gadget children = 2' '2: cell index = -1' '2: panel index = -1' \
  '2: panel name = '; do
  check "held: $line" grep -qxF "$line" <<<"$held"
done
check "  and the file holds the two goals left" test "$(read_settings | grep -c '^ITEM.*,')" -eq 2
finish
