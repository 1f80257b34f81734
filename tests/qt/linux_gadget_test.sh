#!/usr/bin/env bash
# The Linux gadget on an X display of its own, without a window manager: placed at its anchors,
# dragged by its band (the program moves itself where no window manager does), quit from its
# menu and ended by SIGTERM with the position saved, one gadget per file.
#   linux_gadget_test.sh path/to/kestrival
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

write_settings $'HB=1\nDX=10\nVB=1\nDY=20\nTITLE=linux'
start_gadget
read -r x y width height < <(geometry)
check "anchored to the right and bottom edges ($x,$y ${width}x$height)" \
  test "$x" -eq $((1280 - width - 10)) -a "$y" -eq $((1024 - height - 20))
check "one gadget per file: a second start ends with 0" timeout 20 "$binary"
check "  and leaves one window" test "$(xdotool search --name '^ - Kestrival -$' | wc -l)" -eq 1

xdotool mousemove $((x + 30)) $((y + 6)) mousedown 1
for _ in $(seq 10); do xdotool mousemove_relative -- -20 -15; sleep 0.05; done
xdotool mouseup 1
sleep 0.3
read -r x2 y2 _ _ < <(geometry)
check "the title band drags the gadget ($x,$y -> $x2,$y2)" test "$x2" -eq $((x - 200)) -a "$y2" -eq $((y - 150))
xdotool mousemove $((x2 + 30)) $((y2 + 40)) click 3
sleep 0.5
xdotool key x
check "&X in the menu quits with 0" wait_exit
saved=$(read_settings)
check "the save at exit stored the dragged place" grep -qx "DX=$x2" <<<"$saved"
check "  as left and top anchors" grep -qx 'HB=0' <<<"$saved"
check "  and kept the title" grep -qx 'TITLE=linux' <<<"$saved"

start_gadget
read -r x y _ _ < <(geometry)
check "the next start stands where it was left" test "$x" -eq "$x2" -a "$y" -eq "$y2"
xdotool mousemove $((x + 30)) $((y + 6)) mousedown 1 mousemove_relative -- 40 30 mouseup 1
sleep 0.3
read -r x3 _ _ _ < <(geometry)
kill -TERM "$gadget_pid"
check "SIGTERM ends the gadget with 0" wait_exit
check "  after saving the place it was dragged to" grep -qx "DX=$x3" <(read_settings)

wait_exit_within() {  # seconds
  for _ in $(seq $(($1 * 10))); do kill -0 "$gadget_pid" 2>/dev/null || { wait "$gadget_pid"; return $?; }; sleep 0.1; done
  return 1
}

# The folder is there and the file is not: the start creates it empty. A restore from backup then
# puts the user's file in its place; neither a drag nor the save at the session's end writes over it.
rm -f "$file"
start_gadget
check "a first start creates the file empty" test "$(wc -c <"$file")" -eq 2
write_settings $'TITLE=restored\nHB=1\nDX=3'
mv "$file" "$state/restored"
printf '' >"$file"
sleep 0.3
mv "$state/restored" "$file"
cp "$file" "$state/users"
read -r x y _ _ < <(geometry)
xdotool mousemove $((x + 30)) $((y + 6)) mousedown 1 mousemove_relative -- 40 30 mouseup 1
sleep 0.3
kill -TERM "$gadget_pid"
check "SIGTERM ends the gadget with 0" wait_exit
check "  leaving the file that arrived after start-up as it was" cmp -s "$file" "$state/users"

# A file that cannot be read: the gadget says so at start. The session's end while that notice is
# up ends the gadget at once (nothing is saved to a file held back).
rm -f "$file"
mkdir "$file"
start_gadget
for _ in $(seq 50); do [ "$(xdotool search --onlyvisible --pid "$gadget_pid" 2>/dev/null | wc -l)" -ge 2 ] && break; sleep 0.1; done
check "an unreadable file is told at start" test "$(xdotool search --onlyvisible --pid "$gadget_pid" | wc -l)" -ge 2
kill -TERM "$gadget_pid"
check "  and SIGTERM while that notice is up ends the gadget within 3 s" wait_exit_within 3
rmdir "$file"

# The save at exit fails: the folder takes no new file (immutable for root, read-only for others).
# The session's end while the "not saved" notice is up closes it, tries the save once more and
# ends the gadget: the second save lands when the folder was given back meanwhile.
folder=$(dirname "$file")
hold_folder() { if [ "$(id -u)" -eq 0 ]; then chattr +i "$folder"; else chmod a-w "$folder"; fi; }
free_folder() { if [ "$(id -u)" -eq 0 ]; then chattr -i "$folder"; else chmod u+w "$folder"; fi; }
notice() { xdotool search --onlyvisible --pid "$gadget_pid" --name '^Kestrival$' 2>/dev/null | head -n 1; }
trap 'free_folder 2>/dev/null || true; cleanup' EXIT
if ! hold_folder 2>/dev/null; then
  echo "[  SKIPPED ] a save that fails at exit: this file system cannot make the folder read-only"
else
  free_folder
  for round in "still held" "given back"; do
    write_settings $'HB=0\nDX=50\nVB=0\nDY=60\nTITLE=exit'
    start_gadget
    cp "$file" "$state/before-exit"
    read -r x y _ _ < <(geometry)
    xdotool mousemove $((x + 30)) $((y + 6)) mousedown 1 mousemove_relative -- 40 30 mouseup 1
    sleep 0.3
    read -r x4 _ _ _ < <(geometry)
    hold_folder
    xdotool mousemove $((x4 + 30)) $((y + 70)) click 3  # the gadget's top is now y + 30
    sleep 0.5
    xdotool key x
    for _ in $(seq 50); do [ -n "$(notice)" ] && break; sleep 0.1; done
    check "[$round] a save that fails at exit is told" test -n "$(notice)"
    [ "$round" = "given back" ] && free_folder
    kill -TERM "$gadget_pid"
    check "[$round]   and SIGTERM while that notice is up ends the gadget within 3 s" wait_exit_within 3
    free_folder
    if [ "$round" = "given back" ]; then
      check "[$round]   after saving once more: the dragged place is in the file" grep -qx "DX=$x4" <(read_settings)
    else
      check "[$round]   leaving the file as it was" cmp -s "$file" "$state/before-exit"
    fi
  done
fi

bin=$state/bin
mkdir -p "$bin"
cp "$binary" "$bin/kestrival"
binary=$bin/kestrival
start_gadget LOCAL
kill -TERM "$gadget_pid"
wait_exit || true
check "LOCAL keeps the file beside the program, named after it" test -s "$bin/kestrival_set.txt"

# A folder whose name is not UTF-8 (made on a system with another encoding), started from
# another working folder: the file is still beside the program.
odd=$state/$'\x83\x5e\xff'
mkdir -p "$odd" "$state/work"
cp "$binary" "$odd/kestrival"
binary=$odd/kestrival
cd "$state/work"
start_gadget LOCAL
kill -TERM "$gadget_pid"
wait_exit || true
cd - >/dev/null
check "LOCAL in a folder whose name is not UTF-8 keeps the file beside the program" test -s "$odd/kestrival_set.txt"
check "  and writes nothing to the working folder" test -z "$(ls -A "$state/work")"

finish
