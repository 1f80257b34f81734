#!/usr/bin/env bash
# The Linux gadget as a screen reader reads it, through AT-SPI on an X display and a D-Bus session
# of its own: the window named by the title band, each goal panel with its title, its dates, day
# counts and counting choices and its place; the open menu with its items; every control of the
# settings dialog by a name no other control has, the swatches with their colours; the goal grid
# as a named table with its headers, its cells and the current cell given the focus, and its row's
# menu with the row's counting choices marked; and a new title and start date announced as
# changes of a name and a description.
#   linux_accessibility_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
export TZ=UTC
reader() { /usr/bin/python3 "$(dirname "$0")/read_accessibility.py" "$@"; }
sources=$(cd "$(dirname "$0")/../.." && pwd)
# A menu text from the table of the program's texts, as a screen reader hears it: without the "&"
# that marks its mnemonic.
gadget_menu_text() {
  sed -n "s/^inline constexpr const char16_t\* $1 = u\"\(.*\)\";\$/\1/p" "$sources/support/ui_texts.h" | sed 's/&//'
}
# The gadget menu's items as the reader lists them (a submenu's items after its own), "name|":
# the texts in the order the gadget adds them, so that a new item needs no second list here.
gadget_menu_items() {
  local name
  sed -n '/^void GadgetWidget::OpenMenu/,/^}/p' "$sources/app/qt/gadget_widget.cpp" |
    grep -o 'texts::kMenu[A-Za-z]*' | sed 's/^texts:://' |
    while read -r name; do printf '%s|\n' "$(gadget_menu_text "$name")"; done
}
# On the test's own session bus (lib.sh); the clean-up ends the launcher and its accessibility bus.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &

mkdir -p "$(dirname "$file")"
{ printf '\xff\xfe'
  printf '%s\r\n' TITLE=目標 DVIEW=1 CL=1 RW=3 ITEM1=試験,2020/01/01,2099/01/01 ITEM2=禁煙,2020/06/01, CNT2=T ITEM3=,,, \
    | iconv -f UTF-8 -t UTF-16LE; } >"$file"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$binary" >"$state/gadget.log" 2>&1 &
gadget_pid=$!
window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
for _ in $(seq 100); do [ -n "$(window '^ - Kestrival -$')" ] && break; sleep 0.1; done
[ -n "$(window '^ - Kestrival -$')" ] || { echo "no gadget window; the gadget said:"; cat "$state/gadget.log"; }
sleep 1

# The day counts the way the gadget counts them: whole days between the dates and this moment.
read -r elapsed1 remaining1 elapsed2 < <(/usr/bin/python3 -c '
import datetime
now = datetime.datetime.now()
days = lambda d: int((d - now).total_seconds() / 86400)
print(-days(datetime.datetime(2020, 1, 1)), days(datetime.datetime(2099, 1, 1)), -days(datetime.datetime(2020, 6, 1)))')
today=$(date +%Y/%m/%d)
gadget=$(reader gadget)
check "the window is named by the title band: $(head -n 1 <<<"$gadget")" test "$(head -n 1 <<<"$gadget")" = "目標、$today"
check "the first panel: its title, dates, days and place" \
  grep -qxF "試験|2020/01/01 から 2099/01/01、経過 $elapsed1 日、残り $remaining1 日|True" <<<"$gadget"
check "a goal without an end counting today: no remaining days, today counted and said" \
  grep -qxF "禁煙|2020/06/01 から $today、経過 $((elapsed2 + 1)) 日、今日を含める|True" <<<"$gadget"
check "an empty goal line is no panel" test "$(wc -l <<<"$gadget")" -eq 3

eval "$(xdotool getwindowgeometry --shell "$(window '^ - Kestrival -$')")"
shown=$(reader shown "xdotool mousemove $((X + 30)) $((Y + 40)) click 3")
check "opening the menu is announced" grep -qxF "popup menu|" <<<"$shown"
# The monitor submenu lists the display's one monitor, the primary, checked: "1  1280 × 1024 (メイン)".
read -r screen_width screen_height < <(xdpyinfo | awk '/dimensions:/ { split($2, size, "x"); print size[1], size[2] }')
monitor_item="1  $screen_width × $screen_height$(gadget_menu_text kMenuMonitorPrimary)|checked"
expected_menu=$(gadget_menu_items | sed -e "s/^$(gadget_menu_text kMenuStackOrdinary)|\$/&checked/" \
  -e "/^$(gadget_menu_text kMenuMonitor)|\$/a\\
$monitor_item")
# What was read, shown when it is not what was expected.
same_list() {  # same_list actual expected
  [ "$1" = "$2" ] && return 0
  diff <(printf '%s\n' "$2") <(printf '%s\n' "$1") | sed 's/^/    /'
  return 1
}
check "the open menu is found with its items, the stacking submenu's with its mark" \
  same_list "$(reader menu)" "$expected_menu"
xdotool key s
for _ in $(seq 100); do [ -n "$(window ' 設定$')" ] && break; sleep 0.1; done
sleep 1
dialog=$(reader dialog)
for control in 'text|タイトル|' 'text|生年月日|' 'text|横設定 オフセット|' 'push button|横設定 オフセット 増やす|' \
  'push button|縦設定 パネル数 減らす|' 'radio button|縦設定 中央|' 'slider|透明度|' \
  'push button|残日数色|赤 221、緑 221、青 0' 'push button|削除|'; do
  check "the dialog names $control" grep -qxF "$control" <<<"$dialog"
done
check "  and no control goes without a name" test -z "$(awk -F'|' '$2 == ""' <<<"$dialog")"
check "  nor shares its name with another: $(cut -d'|' -f2 <<<"$dialog" | sort | uniq -d | tr '\n' ' ')" \
  test -z "$(cut -d'|' -f2 <<<"$dialog" | sort | uniq -d)"
check "  the swatches of one label by their groups" \
  test "$(grep -o '^push button|[^|]* [背枠][景線]色|' <<<"$dialog")" = \
  "$(printf '%s\n' 'push button|タイトル 背景色|' 'push button|外観 枠線色|' 'push button|外観 背景色|' 'push button|パネル 枠線色|')"
check "  all 13 colour swatches with their colours" test "$(grep -c '色|赤 ' <<<"$dialog")" -eq 13

grid=$(reader grid)
check "the grid is a table named for the goals" test "$(sed -n 1p <<<"$grid")" = "目標の一覧"
check "  of 150 rows and 3 columns" test "$(sed -n 2p <<<"$grid")" = "150 3"
check "  with its column headers" test "$(sed -n 3p <<<"$grid")" = "表題|開始日|終了日"
check "  and its cells by row and column" test "$(sed -n 4,5p <<<"$grid")" = $'試験|2020/01/01|2099/01/01\n禁煙|2020/06/01|'
focus=$(reader focus 'xdotool key Down Right')
check "moving the current cell gives each cell the focus in turn" test "$focus" = $'1,0|禁煙\n1,1|2020/06/01'
xdotool key shift+F10
sleep 0.5
check "the current row's menu is found with its counting choices marked" same_list "$(reader menu)" \
  "$(printf '%s\n' '数え方|' '暦日どおり|' '今日を含める(T)|checked' '平日のみ(W)|' '毎年くり返す(Y)|' \
    '知らせる|' '当日(0)|' '前日(1)|' '1週間前(7)|' '30日前(3)|' '知らせない|checked' '休日の設定...|')"
xdotool key Escape
sleep 0.3

eval "$(xdotool getwindowgeometry --shell "$(window ' 設定$')")"
# The current cell is the second goal's start date: typing replaces it.
changes=$(reader names,descriptions "xdotool type 2020/07/01; xdotool key Return; sleep 0.3; xdotool mousemove $((X + 310 + 12 + 60)) $((Y + 4 + 16 + 10)) click 1 key ctrl+a type 'new'; \
  sleep 0.3; xdotool mousemove $((X + 441 + 37)) $((Y + 499 + 12)) click 1")
check "a new title is announced as the window's new name" grep -qxF "frame|new、$today" <<<"$changes"
check "  a new start date as the panel's new description" grep -qF "label|禁煙|2020/07/01 から $today、経過 " <<<"$changes"
finish
