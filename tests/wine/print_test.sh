#!/usr/bin/env bash
# Kestrival.exe --print under Wine: the goals as tab-separated lines on a redirected standard
# output, exactly as the Linux command prints them from the same file on the same day; the file
# left as it was and no gadget shown; a file that cannot be read gives a message and status 1.
source "$(dirname "$0")/lib.sh"
linux=${KESTRIVAL_LINUX_BINARY:?}
config=$test_folder
reset_settings
write_settings "$(printf '%s\n' 'OFFDAYS=12/29-01/03 08/13' 'ITEM1=試験,2026/04/01,2027/01/31' 'CNT1=TW' \
  'ITEM2=誕生日,2000/05/10,2000/05/10' 'CNT2=Y' 'ITEM3=開始のみ,2026/01/01,' 'ITEM4=予定,,2030/01/01' 'CNT4=W')"
file=$(settings_file)
documents=$(dirname "$(dirname "$(dirname "$file")")")
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$documents" >"$config/user-dirs.dirs"
before=$(md5sum <"$file")

status=0
windows=$("$WINE" "$build/Kestrival.exe" --print 2>"$config/err") || status=$?
linux_lines=$(env -u DISPLAY XDG_CONFIG_HOME=$config "$linux" --print)
check "--print ends with status 0" test "$status" -eq 0
check "  writes one line per goal" test "$(grep -c . <<<"$windows")" -eq 4
check "  with five tab-separated fields" test "$(awk -F'\t' 'NF != 5' <<<"$windows" | wc -l)" -eq 0
check "  the same as the Linux command prints" test "$windows" = "$linux_lines"
check "  and nothing on standard error" test ! -s "$config/err"
check "  leaves the file as it was" test "$(md5sum <"$file")" = "$before"
check "  and shows no gadget" test "$(probe count)" = 0
echo "$windows"

reset_settings
mkdir -p "$file"
status=0
"$WINE" "$build/Kestrival.exe" --print >"$config/out" 2>"$config/err" || status=$?
check "an unreadable file ends with status 1" test "$status" -eq 1
check "  with a message naming the file" grep -q 'ZKQV_set.txt' "$config/err"
check "  and nothing on standard output" test ! -s "$config/out"
rm -rf "$file"
finish
