#!/usr/bin/env bash
# LOCAL started from folders whose names hold a backslash, an ordinary character of a Linux name:
# the gadget reads, saves and reads again the file beside it, one gadget per file, and leaves the
# folder whose name reads the backslash as a slash (there or not) alone.
#   linux_local_folder_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
window_ids() { xdotool search --name '^ - Kestrival -$' 2>/dev/null || true; }
windows() { window_ids | wc -l; }
wait_windows() { for _ in $(seq 100); do [ "$(windows)" -eq "$1" ] && return 0; sleep 0.1; done; return 1; }
geometry() {  # prints "x y width height" of the gadget whose process is $gadget_pid
  local id; id=$(xdotool search --pid "$gadget_pid" --name '^ - Kestrival -$' 2>/dev/null | head -n 1)
  xdotool getwindowgeometry --shell "$id" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 } END { print "" }'
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
write_utf16() {  # write_utf16 file text
  { printf '\xff\xfe'; printf '%s' "$2" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$1"
}
start() {  # start folder: the gadget copied there, started with LOCAL
  "$1/kestrival" LOCAL 2>/dev/null &
  gadget_pid=$!
}

for name in 'kes\trival' 'a\b\c 確か'; do
  dir=$state/$name
  slashed=$state/${name//\\//}  # the folder the backslashes would name as separators
  mkdir -p "$dir"
  cp "$binary" "$dir/kestrival"
  # The first folder's slashed spelling is a real folder with a file of its own; the second's is
  # not there at all.
  if [ "$name" = 'kes\trival' ]; then
    mkdir -p "$slashed"
    write_utf16 "$slashed/kestrival_set.txt" $'TITLE=neighbour\nHB=0\nDX=0'
    cp "$slashed/kestrival_set.txt" "$state/neighbour"
  fi
  file=$dir/kestrival_set.txt
  write_utf16 "$file" $'TITLE=backslash\nHB=1\nDX=10\nVB=1\nDY=20'

  start "$dir"
  wait_windows 1 || true
  read -r x y width height < <(geometry)
  check "[$name] the gadget reads the file beside it ($x,$y ${width}x$height)" \
    test "$x" -eq $((1280 - width - 10)) -a "$y" -eq $((1024 - height - 20))
  lock_file=$(for fd in /proc/"$gadget_pid"/fd/*; do readlink "$fd"; done 2>/dev/null | grep '\.lock$' | head -n 1)
  check "[$name]   its lock is named by that folder ($(basename "$lock_file"))" \
    test "$(basename "$lock_file" | cut -d- -f1-2)" = "$(printf '%x-%x' $(stat -c '%d %i' "$dir"))"
  check "[$name]   and stands outside it" test ! -e "$file.lock"
  check "[$name]   a second start ends with 0" timeout 20 "$dir/kestrival" LOCAL
  check "[$name]   and leaves one window" test "$(windows)" -eq 1

  xdotool mousemove $((x + 30)) $((y + 6)) mousedown 1 mousemove_relative -- -40 -30 mouseup 1
  sleep 0.3
  read -r x2 y2 _ _ < <(geometry)
  kill -TERM "$gadget_pid" 2>/dev/null || true
  wait_exit "$gadget_pid" || true
  saved=$(read_settings)
  check "[$name] SIGTERM saved the dragged place to that file ($x2,$y2)" grep -qx "DX=$x2" <<<"$saved"
  check "[$name]   and kept its title" grep -qx 'TITLE=backslash' <<<"$saved"
  check "[$name]   leaving no temporary beside it" \
    test -z "$(find "$dir" -maxdepth 1 \( -name '*.tmp' -o -name '*.part' \))"

  start "$dir"
  wait_windows 1 || true
  read -r x3 y3 _ _ < <(geometry)
  check "[$name] the next start stands where it was left ($x3,$y3)" test "$x3" -eq "$x2" -a "$y3" -eq "$y2"
  if [ "$name" = 'kes\trival' ]; then
    check "[$name] the slashed folder's own file is as it was" cmp -s "$slashed/kestrival_set.txt" "$state/neighbour"
    # The gadget of the slashed folder is another gadget with another file: it runs beside.
    cp "$binary" "$slashed/kestrival"
    "$slashed/kestrival" LOCAL 2>/dev/null &
    other_pid=$!
    check "[$name] the gadget of $(basename "$(dirname "$slashed")")/$(basename "$slashed") runs beside it" wait_windows 2
    kill -TERM "$other_pid" 2>/dev/null || true
    wait_exit "$other_pid" || true
  fi
  kill -TERM "$gadget_pid" 2>/dev/null || true
  wait_exit "$gadget_pid" || true
  gadget_pid=""
  if [ "$name" != 'kes\trival' ]; then
    check "[$name] no folder was made under the slashed spelling" test ! -e "$state/a"
  fi
done
finish
