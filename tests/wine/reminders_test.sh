#!/usr/bin/env bash
# Reminders on Windows: the balloon of the notification-area icon, asked for once for each due
# reminder and one at a time (the next when the shell reports the balloon clicked), recorded in the
# settings file, none again after a restart the same day, none for goals without reminders. The
# gadget writes each balloon it asks for to KESTRIVAL_TEST_BALLOON_LOG, since another program
# cannot read a balloon. Goal dates are set relative to today.
source "$(dirname "$0")/lib.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
windows_log=$("$WINE" winepath -w "$log" 2>/dev/null | tr -d '\r')
day() { date -d "$1 days" +%Y/%m/%d; }
today=$(day 0)
balloons() { wc -l <"$log"; }
wait_balloons() {  # wait_balloons N: until N balloons were asked for (at most 20 s), then a moment for more
  for _ in $(seq 200); do [ "$(balloons)" -ge "$1" ] && break; sleep 0.1; done
  sleep 1.5
}
run_gadget() {
  KESTRIVAL_TEST_BALLOON_LOG=$windows_log "$WINE" "$build/Kestrival.exe" &
  gadget_pid=$!
  probe wait >/dev/null
}
stop_gadget() {
  probe close >/dev/null
  wait_gadget_exit
}

reset_settings
write_settings "TITLE=reminders
ITEM1=試験,,$today
RMD1=0
ITEM2=旅行,,$(day 7)
RMD2=7,30
ITEM3=無言,,$today
ITEM4=締切,,$(day 10)
RMD4=1"
run_gadget
wait_balloons 1
check "the first due reminder's balloon at start" test "$(sed -n 1p "$log")" = $'試験\t今日が終了日です ('"$today"$')\t1'
check "  and only it while it is up" test "$(balloons)" -eq 1
probe balloon-click
wait_balloons 2
check "the next one when the balloon was clicked" test "$(sed -n 2p "$log")" = $'旅行\t残り 7 日 ('"$(day 7)"$' まで)\t1'
probe balloon-click
sleep 1.5
check "  and no more: the others are not due or have no reminders" test "$(balloons)" -eq 2
saved=$(read_settings)
check "both are recorded as shown today" test "$(grep -c "^RMDSHOWN[12]=$today\$" <<<"$saved")" -eq 2
check "  and nothing else" test "$(grep -c '^RMDSHOWN' <<<"$saved")" -eq 2
stop_gadget

run_gadget
sleep 2
check "none again after a restart the same day" test "$(balloons)" -eq 2
stop_gadget

reset_settings
write_settings "ITEM1=試験,,$today"
run_gadget
sleep 2
check "a gadget without reminders asks for no balloon" test "$(balloons)" -eq 2
check "  and writes no reminder keys" bash -c "! iconv -f UTF-16LE -t UTF-8 '$(settings_file)' | grep -q RMD"
stop_gadget
finish
