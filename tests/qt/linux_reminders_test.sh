#!/usr/bin/env bash
# Reminders as desktop notifications: a session bus of the test's own with dunst on the test
# display, and dbus-monitor reading the gadget's Notify calls. One call for each due reminder (the
# latest of a goal's missed ones), none again after a restart the same day, the missed one at the
# next start, none for a goal without reminders, and a click on a notification brings the gadget
# forward. The wall clock is set with libfaketime.
#   linux_reminders_test.sh path/to/kestrival [screenshot.png]
# With a second argument the notifications, as dunst shows them, are saved there (the picture in
# docs/ comes from it).
source "$(dirname "$0")/lib.sh"
shot_file=${2:-}
preload=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 | head -n 1)
# A session bus that starts no services itself: the notification service is there only while the
# test runs dunst.
cat >"$state/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:dir=$state</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
dbus-daemon --config-file="$state/bus.conf" --nofork --print-address=3 3>"$state/bus.address" 2>/dev/null &
bus_pid=$!
for _ in $(seq 100); do [ -s "$state/bus.address" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$state/bus.address")
export DBUS_SESSION_BUS_ADDRESS
monitor_pid="" dunst_pid=""
trap 'kill $monitor_pid $dunst_pid "$bus_pid" 2>/dev/null || true; cleanup' EXIT
# dunst keeps a notification until it is clicked, and a left click runs its default action. The
# gadget's icon is looked up by its name, as an installed one would be.
mkdir -p "$XDG_CONFIG_HOME/dunst" "$state/icons"
convert "$(dirname "$0")/../../app/win32/kestrival.ico[0]" -resize 32x32 "$state/icons/kestrival.png"
cat >"$XDG_CONFIG_HOME/dunst/dunstrc" <<CONF
[global]
font = Noto Sans CJK JP 11
width = 360
offset = 20x20
frame_width = 2
show_indicators = no
icon_path = $state/icons
min_icon_size = 32
mouse_left_click = do_action, close_current
[urgency_normal]
timeout = 0
CONF
start_dunst() {
  dunst -config "$XDG_CONFIG_HOME/dunst/dunstrc" >/dev/null 2>&1 &
  dunst_pid=$!
  for _ in $(seq 100); do
    dbus-send --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
      string:org.freedesktop.Notifications 2>/dev/null | grep -q 'boolean true' && break
    sleep 0.1
  done
}
calls=$state/notify.log
dbus-monitor "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  "type='signal',interface='org.freedesktop.Notifications',member='ActionInvoked'" \
  "type='method_call',interface='org.freedesktop.DBus',member='AddMatch'" >>"$calls" 2>/dev/null &
monitor_pid=$!
sleep 0.5

write_settings() {
  mkdir -p "$(dirname "$file")"
  { printf '\xff\xfe'; printf '%s' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}
# Each Notify call as "summary|body", in order.
notifications() {
  awk '/^(method call|signal|method return|error) / { notify = /member=Notify$/; n = 0; next }
       notify && /^   string "/ { n++; sub(/^   string "/, ""); sub(/"$/, "");
       if (n == 3) summary = $0; if (n == 4) print summary "|" $0 }' "$calls"
}
window() { xdotool search --onlyvisible --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
clock=$state/clock
start_gadget() {  # start_gadget "YYYY-MM-DD hh:mm:ss"
  echo "@$1" >"$clock"
  FAKETIME_TIMESTAMP_FILE=$clock FAKETIME_NO_CACHE=1 DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 LD_PRELOAD=$preload \
    QT_QPA_PLATFORM=xcb "$binary" 2>/dev/null &
  gadget_pid=$!
  for _ in $(seq 100); do [ -n "$(window)" ] && break; sleep 0.1; done
}
stop_gadget() {
  kill -TERM "$gadget_pid"
  wait "$gadget_pid" 2>/dev/null || true
  gadget_pid=""
}
wait_calls() {  # wait_calls N: until N calls were seen (at most 10 s), then a moment for more
  for _ in $(seq 100); do [ "$(notifications | wc -l)" -ge "$1" ] && break; sleep 0.1; done
  sleep 1.5
}

# On 11 December: the end today, a week before, the latest of two missed, no reminders, not yet.
write_settings $'TITLE=reminders\nITEM1=試験,2026/01/01,2026/12/11\nRMD1=0\nITEM2=旅行,,2026/12/18\nRMD2=7,30
ITEM3=発表,,2026/12/14\nRMD3=30,7,1\nITEM4=無言,,2026/12/11\nITEM5=締切,,2026/12/25\nRMD5=1,7'
start_gadget "2026-12-11 10:00:00"
wait_calls 3
check "without a notification service the gadget asks" test "$(notifications | wc -l)" -eq 3
check "  and records nothing: the reminders stay due" bash -c "! iconv -f UTF-16LE -t UTF-8 '$file' | grep -q '^RMDSHOWN'"
stop_gadget

start_dunst
: >"$calls"
start_gadget "2026-12-11 10:00:00"
wait_calls 3
check "one Notify for each due reminder, in goal order" diff <(notifications) <(printf '%s\n' \
  '試験|今日が終了日です (2026/12/11)' '旅行|残り 7 日 (2026/12/18 まで)' '発表|残り 3 日 (2026/12/14 まで)')
check "  listening for a click on them" bash -c "grep -q ActionInvoked <(sed -n '/member=AddMatch/,+1p' '$calls')"
check "  as Kestrival, with its icon, no sound and a default action" \
  bash -c "grep -q 'string \"suppress-sound\"' '$calls' && grep -q 'string \"default\"' '$calls' && grep -q 'string \"kestrival\"' '$calls'"
check "the shown reminders are recorded in the settings file" \
  test "$(read_settings | grep -c '^RMDSHOWN[123]=2026/12/11$')" -eq 3
check "  and a goal without reminders gets no record" bash -c "! grep -q '^RMDSHOWN4' <(iconv -f UTF-16LE -t UTF-8 '$file')"

gadget=$(window)
focus_before=$(xdotool getwindowfocus 2>/dev/null || echo none)
check "the gadget did not take the focus for its reminders" test "$focus_before" != "$gadget"
# dunst maps its window when it has drawn the notifications.
dunst_window=$(xdotool search --class dunst 2>/dev/null | head -n 1)
for _ in $(seq 100); do xwininfo -id "$dunst_window" | grep -q IsViewable && break; sleep 0.1; done
read -r dx dy dw dh < <(xdotool getwindowgeometry --shell "$dunst_window" |
  awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 } END { print "" }')
[ -n "$shot_file" ] && import -window root -crop "${dw}x${dh}+${dx}+${dy}" +repage "$shot_file"
xdotool mousemove $((dx + 30)) $((dy + 20)) click 1
focused=no
for _ in $(seq 30); do [ "$(xdotool getwindowfocus 2>/dev/null)" = "$gadget" ] && { focused=yes; break; }; sleep 0.1; done
check "a click on a notification runs its default action" grep -q 'member=ActionInvoked' "$calls"
check "  and brings the gadget forward" test "$focused" = yes
stop_gadget

: >"$calls"
start_gadget "2026-12-11 18:00:00"
wait_calls 1
check "none again after a restart the same day" test "$(notifications | wc -l)" -eq 0
stop_gadget

start_gadget "2026-12-24 09:00:00"
wait_calls 1
check "at the next start only the latest missed one of a goal whose end is ahead" \
  diff <(notifications) <(printf '%s\n' '締切|残り 1 日 (2026/12/25 まで)')
stop_gadget

: >"$calls"
write_settings $'TITLE=quiet\nITEM1=試験,2026/01/01,2026/12/11\nITEM2=旅行,,2026/12/18'
start_gadget "2026-12-11 10:00:00"
sleep 2
check "a gadget without reminders sends none" test "$(notifications | wc -l)" -eq 0
check "  and never watches the notification service" bash -c "! grep -q ActionInvoked <(sed -n '/member=AddMatch/,+1p' '$calls')"
check "  and leaves the file without reminder keys" bash -c "! iconv -f UTF-16LE -t UTF-8 '$file' | grep -q '^RMD'"
stop_gadget
finish
