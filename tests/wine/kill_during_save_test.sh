#!/usr/bin/env bash
# A gadget killed (SIGKILL, as a crash or a power cut would end it) while it saves a large file
# leaves the previous file whole or the new one whole, never a mixture; the next start reads it
# and clears away what the cut-short save left. Every start rewrites a file written by another
# editor (UTF-8, LF) as UTF-16, so each start of the loop saves.
source "$(dirname "$0")/lib.sh"

reset_settings
file=$(settings_file)
mkdir -p "$(dirname "$file")"
original=$(mktemp -p "$test_folder")
awk 'BEGIN { print "TITLE=kill test"
             for (i = 1; i <= 40000; i++) printf "ITEM%d=goal number %d of a long list,2026/01/01,2027/01/01\n", i, i }' \
  >"$original"
# The two files a start may leave: the load's rewrite of the lines as read (once the window
# shows), and the full file the save at exit builds.
cp "$original" "$file"
start_gadget
probe wait >/dev/null
kill -9 "$gadget_pid"
wait "$gadget_pid" 2>/dev/null || true
rewritten=$(md5sum <"$file")
cp "$original" "$file"
start_gadget
probe wait >/dev/null
probe close >/dev/null
wait_gadget_exit
saved=$(md5sum <"$file")
original_sum=$(md5sum <"$original")
check "a start rewrites the file as UTF-16" test "$rewritten" != "$original_sum"

# What the next start reads: the file, or where a replace was cut short after the old file had
# left its name, the newest temporary, which that start moves into place. A save writes its bytes
# under a partial name ("<file>.<n>.part") and names them a temporary only once they are whole, so
# what a kill during the writing leaves is never read.
effective() {
  if [ -f "$file" ]; then md5sum <"$file"; return; fi
  local newest; newest=$(ls -t "$file".*.tmp 2>/dev/null | head -n 1)
  if [ -n "$newest" ]; then md5sum <"$newest"; else echo missing; fi
}
temporary_exists() { compgen -G "$file.*.part" >/dev/null || compgen -G "$file.*.tmp" >/dev/null; }

# Each kill lands a moment after the save's first file appears: while it is being written, or
# about when it replaces the file.
old=0 new=0 mid=0 cut=0
for delay in 0 0.02 0.05 0.1 0.15 0.2 0.25 0.3 0.35 0.4 0.5 0.6 0.8 1.2; do
  cp "$original" "$file"
  start_gadget
  # A busy loop of shell built-ins: a save of a few megabytes takes only milliseconds.
  SECONDS=0
  until temporary_exists || [ "$SECONDS" -ge 10 ]; do :; done
  sleep "$delay"
  temporary_exists && mid=$((mid + 1))
  kill -9 "$gadget_pid" 2>/dev/null || true
  wait "$gadget_pid" 2>/dev/null || true
  now=$(effective)
  [ "$now" = "$original_sum" ] && old=$((old + 1))
  [ "$now" = "$rewritten" ] && new=$((new + 1))
  check "killed ${delay}s into a save: the file is the old one or the new one, whole" \
    test "$now" = "$original_sum" -o "$now" = "$rewritten" -o "$now" = "$saved"
  if [ ! -f "$file" ]; then
    cut=$((cut + 1))
    start_gadget
    probe wait >/dev/null
    probe close >/dev/null
    wait_gadget_exit
    check "  the replace was cut short: the next start put the new file in place" test "$(md5sum <"$file")" = "$saved"
  fi
done
echo "old file whole after $old kills, new file whole after $new; $cut replaces cut short"
check "kills landed while the save's files were there ($mid of 14)" test "$mid" -ge 4

start_gadget
probe wait >/dev/null
probe close >/dev/null
wait_gadget_exit
check "the next start reads every goal" grep -q '^ITEM40000=goal number 40000' <(read_settings)
# (Wine's own ReplaceFileW copies through "rff*.tmp" files of its own, which a kill leaves too.)
check "and no temporary or partial file of the gadget's is left" test -z "$(compgen -G "$file.*.tmp")$(compgen -G "$file.*.part")"
rm -f "$original"
# A gadget killed while it starts can leave Wine's desktop process behind, and with it the Wine
# session, which holds this test's output open: the run would not end.
"$WINESERVER" -k 2>/dev/null || true
finish
