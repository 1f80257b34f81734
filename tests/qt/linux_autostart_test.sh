#!/usr/bin/env bash
# Start at login from folders whose names a launcher would misread or a desktop entry cannot hold
# as they are: the gadget writes its desktop entry from the menu, and GLib's launcher (gio launch)
# starts it from that entry.
#   linux_autostart_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
command -v gio >/dev/null || { echo "gio is missing (libglib2.0-bin)"; exit 1; }
window() { xdotool search --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
wait_window() { for _ in $(seq 100); do [ -n "$(window)" ] && return 0; sleep 0.1; done; return 1; }
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
entry=$XDG_CONFIG_HOME/autostart/kestrival.desktop
# The last name's bytes are not UTF-8 (a folder named on a system with another encoding).
for folder in '100% 確か dir' 'a "b" $HOME `c` d\e 確か' $'\x83\x5e\xff 確か'; do
  dir=$state/$folder
  mkdir -p "$dir"
  cp "$binary" "$dir/kestrival"
  rm -f "$entry"
  "$dir/kestrival" LOCAL 2>/dev/null &
  gadget_pid=$!
  wait_window
  read -r x y < <(xdotool getwindowgeometry --shell "$(window)" | awk -F= '/^[XY]=/ { printf "%s ", $2 } END { print "" }')
  xdotool mousemove $((x + 30)) $((y + 40)) click 3
  sleep 0.5
  xdotool key w
  for _ in $(seq 50); do [ -s "$entry" ] && break; sleep 0.1; done
  check "[$folder] the menu wrote the entry: $(grep '^Exec=' "$entry" 2>/dev/null)" test -s "$entry"
  kill -TERM "$gadget_pid"
  wait_exit "$gadget_pid"
  gio launch "$entry" 2>&1 &
  wait_window
  check "[$folder] the launcher started the gadget from it" test -n "$(window)"
  pid=$(xdotool getwindowpid "$(window)" 2>/dev/null || true)
  check "[$folder]   from that folder" test "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$dir/kestrival"
  check "[$folder]   with LOCAL as its one argument" \
    test "$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | tail -n +2)" = LOCAL
  gadget_pid=$pid
  [ -n "$pid" ] && kill -TERM "$pid" && wait_exit "$pid"
done
finish
