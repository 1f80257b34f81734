#!/usr/bin/env bash
# The Linux settings dialog on an X display of its own, through real input (xdotool): opened from
# the gadget's menu, Japanese typed into the goal grid, a 3 x 51 panel count (more than 150) refused with the
# dialog still open and nothing written, then a valid OK saved and the gadget laid out again.
#   linux_dialog_test.sh path/to/kestrival
set -euo pipefail
binary=$(realpath "$1")
state=$(mktemp -d)
export HOME=$state/home XDG_RUNTIME_DIR=$state/runtime XDG_CONFIG_HOME=$state/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
gadget_pid=""
cleanup() {
  [ -n "$gadget_pid" ] && kill "$gadget_pid" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT
start_xvfb
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
file=$HOME/Documents/ZKFILES/Kestrival/ZKQV_set.txt
read_settings() { iconv -f UTF-16LE -t UTF-8 "$file" | sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//'; }
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
wait_window() {
  for _ in $(seq 100); do [ -n "$(find_window "$1")" ] && return 0; sleep 0.1; done
  return 1
}
geometry_of() { xdotool getwindowgeometry --shell "$(find_window "$1")"; }
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
type_into() {  # x y text: replaces what the edit at (x, y) holds
  click_at "$1" "$2"
  xdotool key ctrl+a
  xdotool type -- "$3"
  sleep 0.2
}

"$binary" >/dev/null 2>&1 &
gadget_pid=$!
wait_window '^ - Kestrival -$'
sleep 0.5
eval "$(geometry_of '^ - Kestrival -$')"
gadget_width=$WIDTH
xdotool mousemove $((X + 30)) $((Y + 40)) click 3
sleep 0.5
xdotool key s
check "the menu's &S opens the settings dialog" wait_window '^ Kestrival .* 設定$'
sleep 0.5
eval "$(geometry_of '^ Kestrival .* 設定$')"
dx=$X dy=$Y
before=$(md5sum <"$file")

# The title cell of the second goal row; the grid starts at (4, 20), rows are 20 pixels.
click_at $((dx + 40)) $((dy + 20 + 2 * 20 + 8))
xdotool type '目標abc'
xdotool key Return
sleep 0.3
type_into $((dx + 310 + 157 + 20)) $((dy + 103 + 40 + 10)) 3   # panels across
type_into $((dx + 310 + 157 + 20)) $((dy + 179 + 40 + 10)) 51  # panels down
click_at $((dx + 441 + 37)) $((dy + 499 + 12))                  # 設定する
check "a 3 x 51 count is refused with a notice" wait_window '^Kestrival$'
check "  while the dialog stays open" test -n "$(find_window '^ Kestrival .* 設定$')"
check "  and nothing is written" test "$(md5sum <"$file")" = "$before"
xdotool key Return
sleep 0.5
type_into $((dx + 310 + 157 + 20)) $((dy + 103 + 40 + 10)) 2
type_into $((dx + 310 + 157 + 20)) $((dy + 179 + 40 + 10)) 3
click_at $((dx + 441 + 37)) $((dy + 499 + 12))
sleep 1
check "a valid OK closes the dialog" test -z "$(find_window '^ Kestrival .* 設定$')"
saved=$(read_settings)
check "  and saves the counts" grep -qx 'CL=2' <<<"$saved"
check "  and the goal typed in Japanese" grep -q '^ITEM2=目標abc,' <<<"$saved"
eval "$(geometry_of '^ - Kestrival -$')"
check "  and lays the gadget out again ($gadget_width -> $WIDTH)" test "$WIDTH" -eq $((2 * 162 + 6))

if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
echo "[  FAILED  ] $failures check(s)"
exit 1
