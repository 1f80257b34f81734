#!/usr/bin/env bash
# One gadget per settings file, whatever spelling reaches the file: a second start through
# another drive letter, the folder's 8.3 name or another letter case ends with exit code 0,
# brings the hidden running gadget back to the screen, and leaves the file to the first. The lock
# file beside the settings file is closed to other users.
source "$(dirname "$0")/lib.sh"

folder_name="Kestrival one file"
unix_folder="$WINEPREFIX/drive_c/$folder_name"
rm -rf "$unix_folder"
mkdir -p "$unix_folder"
cp "$build/Kestrival.exe" "$unix_folder/"
# A second drive letter for the same folder, as subst or a mapped share gives on Windows.
ln -sfn "$unix_folder" "$WINEPREFIX/dosdevices/y:"
local_file="$unix_folder/Kestrival_set.txt"
{ printf '\xff\xfe'; printf 'TITLE=the first\nHB=0\nDX=30\nVB=0\nDY=40\n' | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$local_file"

# A lock file an earlier version left: 0644 on the Unix side, so Wine shows it as readable by
# everyone. The gadget that holds it closes it to others (Wine maps that to the owner's and group's
# bits; nothing for others).
touch "$unix_folder/Kestrival_set.txt.lock"
chmod 644 "$unix_folder/Kestrival_set.txt.lock"
"$WINE" "C:\\$folder_name\\Kestrival.exe" LOCAL &
first=$!
probe wait >/dev/null
check "an earlier version's lock file is closed to others ($(stat -c %a "$unix_folder/Kestrival_set.txt.lock"))" \
  test "$(($(stat -c '0%a' "$unix_folder/Kestrival_set.txt.lock") & 7))" -eq 0
short=$(probe short-path "C:\\$folder_name")
check "the folder has an 8.3 name ($short)" test "$short" != "C:\\$folder_name"

for spelling in "Y:\\Kestrival.exe" "$short\\Kestrival.exe" "c:\\$(tr '[:upper:]' '[:lower:]' <<<"$folder_name")\\KESTRIVAL.EXE"; do
  probe hide >/dev/null
  before=$(md5sum <"$local_file")
  rc=0
  timeout 30 "$WINE" "$spelling" LOCAL || rc=$?
  check "a second start as $spelling ends with 0" test "$rc" -eq 0
  check "  and the running gadget shows again" probe wait
  check "  and it is still the only one" test "$(probe count)" = 1
  check "  and the file is untouched" test "$(md5sum <"$local_file")" = "$before"
done

probe close >/dev/null
wait "$first" 2>/dev/null || true
check "the first gadget kept its file" grep -q 'the first' <(iconv -f UTF-16LE -t UTF-8 "$local_file")
rm -f "$WINEPREFIX/dosdevices/y:"
rm -rf "$unix_folder"
finish
